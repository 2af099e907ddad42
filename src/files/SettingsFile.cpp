#include "files/SettingsFile.h"
#include "params/FieldCodings.h"
#include "params/FieldTable.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1250.h"
#include "platform/FileAccess.h"
#include "texts/FileErrorText.h"
#include "texts/Texts.h"

namespace lumo {

namespace {

using namespace settingsFile;

constexpr int kNameLength = 6;
constexpr int kValueLengthOffset = 17;
constexpr int kValueOffset = 18;

QString name(const char* s) {
    return QString::fromLatin1(s);
}

// Blanks as the old runtime trimmed them: every character up to and including the space.
QString trimBlanks(const QString& s) {
    int begin = 0;
    int end = s.size();
    while (begin < end && s[begin].unicode() <= 32)
        ++begin;
    while (end > begin && s[end - 1].unicode() <= 32)
        --end;
    return s.mid(begin, end - begin);
}

QString recordValue(const ParameterSet& params, int record) {
    if (const OptionGroupDef* g = findOptionGroupByRecord(record)) {
        const QString checked = params.checkedOption(name(g->options.front().button));
        for (const OptionDef& o : g->options)
            if (name(o.button) == checked)
                return name(o.fileCode);
        return {};
    }
    const std::vector<const FieldDef*> fields = fieldsOfRecord(record);
    if (fields.empty())
        return {};
    return fileCodingRow(fields.front()->fileCoding).text(fields, params);
}

QByteArray record(const FileRecordDef& def, const QString& value) {
    QByteArray r(kRecordSize, ' ');
    const QByteArray recordName = QByteArray(def.name).left(16);
    r[0] = static_cast<char>(recordName.size());
    for (int i = 1; i <= 16; ++i)
        r[i] = i <= recordName.size() ? recordName[i - 1] : '\0';
    const QByteArray v = cp1250::fromUnicode(value.left(kMaxValueLength));
    r[kValueLengthOffset] = static_cast<char>(v.size());
    for (int i = 0; i < v.size(); ++i)
        r[kValueOffset + i] = v[i];
    // The old writer left the last byte of a short value's padding zero.
    if (v.size() < kMaxValueLength)
        r[kRecordSize - 1] = '\0';
    return r;
}

void applyRecord(ParameterSet& p, int record, const QString& value) {
    if (const OptionGroupDef* g = findOptionGroupByRecord(record)) {
        for (const OptionDef& o : g->options)
            if (value == name(o.fileCode))
                p.setChecked(name(o.button), true);
        return;
    }
    for (const FieldDef* f : fieldsOfRecord(record))
        fileCodingRow(f->fileCoding).apply(*f, value, record > kMandatoryRecords, p);
}

// What an optional record's absence means for its parameters.
void applyMissingRecord(ParameterSet& p, int record) {
    if (const OptionGroupDef* g = findOptionGroupByRecord(record)) {
        p.setChecked(name(g->defaultButton), true);
        return;
    }
    for (const FieldDef* f : fieldsOfRecord(record))
        fileCodingRow(f->fileCoding).missing(*f, p);
}

} // namespace

namespace settingsFile {

QByteArray toBytes(const ParameterSet& params) {
    QByteArray bytes;
    bytes.reserve(kAllRecords * kRecordSize);
    for (const FileRecordDef& def : fileRecords())
        bytes += record(def, recordValue(params, def.number));
    return bytes;
}

bool fromBytes(const QByteArray& bytes, ParameterSet& params, QString* problem,
               const Texts* texts) {
    const Texts builtIn;
    const Texts& t = texts ? *texts : builtIn;
    auto fail = [problem](const QString& text) {
        if (problem)
            *problem = text;
        return false;
    };
    const qsizetype size = bytes.size();
    int records = 0;
    if (size >= qsizetype(kAllRecords) * kRecordSize) {
        records = kAllRecords; // anything after the last record is never read
    } else {
        if (size % kRecordSize != 0)
            return fail(t.message(60).arg(size).arg(kRecordSize));
        records = int(size / kRecordSize);
    }
    if (records < kMandatoryRecords)
        return fail(t.message(61).arg(records).arg(kMandatoryRecords));

    // Check every record before anything is applied.
    std::vector<QString> values;
    values.reserve(size_t(records));
    for (int i = 0; i < records; ++i) {
        const char* r = bytes.constData() + qsizetype(i) * kRecordSize;
        const int nameLength = static_cast<unsigned char>(r[0]);
        const int valueLength = static_cast<unsigned char>(r[kValueLengthOffset]);
        if (nameLength != kNameLength)
            return fail(t.message(62).arg(i + 1).arg(nameLength).arg(kNameLength));
        if (valueLength > kMaxValueLength)
            return fail(t.message(63).arg(i + 1).arg(valueLength).arg(kMaxValueLength));
        values.push_back(trimBlanks(cp1250::toUnicode(QByteArray(r + kValueOffset, valueLength))));
    }

    ParameterSet candidate = params;
    for (int record = 1; record <= kAllRecords; ++record) {
        if (record <= records)
            applyRecord(candidate, record, values[size_t(record - 1)]);
        else
            applyMissingRecord(candidate, record);
    }
    params = candidate;
    return true;
}

} // namespace settingsFile

bool SaveSettingsFile(const ParameterSet& params, const QString& fileName, QString* error,
                      const settingsFile::Writer& writer, const Texts* texts) {
    const Texts builtIn;
    const Texts& t = texts ? *texts : builtIn;
    QString reason;
    const QByteArray bytes = settingsFile::toBytes(params);
    bool ok = false;
    if (writer) {
        ok = writer(fileName, bytes, &reason);
    } else {
        FileError saveError;
        ok = saveFileAtomically(fileName, bytes, &saveError);
        reason = fileErrorText(saveError, t);
    }
    if (!ok && error)
        *error = t.message(57).arg(fileName, reason);
    return ok;
}

bool LoadSettingsFile(ParameterSet& params, const QString& fileName, QString* error,
                      const Texts* texts) {
    const Texts builtIn;
    const Texts& t = texts ? *texts : builtIn;
    auto fail = [&](const QString& what) {
        if (error)
            *error = t.message(56).arg(fileName, what);
        return false;
    };
    // Never read more than a full file: whatever follows record 171 is ignored. A FIFO or a
    // device is refused without waiting on it.
    QByteArray bytes;
    FileError readError;
    if (!readRegularFile(fileName, qint64(settingsFile::kAllRecords) * settingsFile::kRecordSize,
                         &bytes, &readError, Oversize::ReadPrefix))
        return fail(fileErrorText(readError, t));
    QString problem;
    if (!settingsFile::fromBytes(bytes, params, &problem, &t))
        return fail(problem);
    return true;
}

} // namespace lumo
