#include "params/FieldTable.h"
#include <QHash>

namespace lumo {

namespace {

using S = TextSection;
constexpr TextKey key(S section, int k) {
    return TextKey{section, k};
}

using G = RemoteGroup;
using RC = RemoteCoding;
constexpr RemoteDef remote(RemoteGroup group, int step, const char* address, RemoteCoding coding) {
    return RemoteDef{group, step, address, coding};
}

// A text field of the basic, switch and time pages.
FieldDef text(const char* name, const char* def, int maxLength, KeyFilter filter, ExitRule rule,
              TextKey caption, const char* label, int imagePos, int imageLen, ImageCoding coding,
              int record, RemoteDef remote = {}) {
    return FieldDef{name,         FieldKind::Text,
                    def,          maxLength,
                    filter,       rule,
                    caption,      label,
                    std::nullopt, imagePos,
                    imageLen,     coding,
                    record,       record ? FileCoding::Text : FileCoding::None,
                    remote};
}

std::vector<FieldDef> buildFieldTable() {
    std::vector<FieldDef> t;
    t.reserve(166);

    // Number memories: Edit1..Edit64 DAY numbers, Edit65..Edit128 NIGHT numbers; the image is
    // the 16-byte number memory, not the settings image.
    // Names must outlive the table, which lives for the whole run.
    static std::vector<QByteArray> numberNames;
    static std::vector<QByteArray> memoryAddresses; // "101".."164" DAY, "201".."264" NIGHT
    for (int k = 1; k <= 128; ++k) {
        numberNames.push_back(QByteArray("Edit") + QByteArray::number(k));
        memoryAddresses.push_back((k <= 64 ? QByteArray("1") : QByteArray("2")) +
                                  QByteArray::number(k <= 64 ? k : k - 64).rightJustified(2, '0'));
    }
    for (int k = 1; k <= 128; ++k) {
        const bool firstOfGroup = (k - 1) % 16 == 0;
        FieldDef f{
            numberNames[size_t(k - 1)].constData(),
            FieldKind::Text,
            "",
            16,
            KeyFilter::DiallingNumber,
            ExitRule::None,
            std::nullopt,
            nullptr,
            firstOfGroup ? std::optional<TextKey>(key(S::HINT, 2)) : std::nullopt,
            0,
            16,
            ImageCoding::DigitGroup,
            36 + k,
            FileCoding::Text,
            remote(G::Memory, k, memoryAddresses[size_t(k - 1)].constData(), RC::MemoryNumber)};
        t.push_back(f);
    }

    using K = KeyFilter;
    using R = ExitRule;
    using C = ImageCoding;
    // Switch outputs.
    t.push_back(text("Edit129", "", 6, K::Digits, R::Password, key(S::TAB2, 13), "Label140", 39, 6,
                     C::DigitGroup, 13, remote(G::Switch, 2, "321", RC::TerminatedCode)));
    t.push_back(text("Edit130", "", 6, K::Digits, R::Password, key(S::TAB2, 14), "Label141", 51, 6,
                     C::DigitGroup, 14, remote(G::Switch, 3, "331", RC::TerminatedCode)));
    t.push_back(text("Edit131", "", 6, K::Digits, R::Password, key(S::TAB2, 15), "Label142", 63, 6,
                     C::DigitGroup, 15, remote(G::Switch, 4, "341", RC::TerminatedCode)));
    t.push_back(text("Edit132", "22", 2, K::Digits, R::TwoDigitCode, key(S::TAB2, 16), "Label143",
                     29, 2, C::DigitGroup, 16, remote(G::Switch, 8, "351", RC::Text)));
    t.push_back(text("Edit133", "5", 2, K::Digits, R::AtLeastOne, key(S::TAB2, 17), "Label144", 31,
                     1, C::Number, 17, remote(G::Switch, 10, "361", RC::TwoDigits)));
    t.push_back(text("Edit134", "", 6, K::Digits, R::Password, key(S::TAB2, 13), "Label139", 45, 6,
                     C::DigitGroup, 20, remote(G::Switch, 5, "322", RC::TerminatedCode)));
    t.push_back(text("Edit135", "", 6, K::Digits, R::Password, key(S::TAB2, 14), "Label145", 57, 6,
                     C::DigitGroup, 21, remote(G::Switch, 6, "332", RC::TerminatedCode)));
    t.push_back(text("Edit136", "", 6, K::Digits, R::Password, key(S::TAB2, 15), "Label146", 69, 6,
                     C::DigitGroup, 22, remote(G::Switch, 7, "342", RC::TerminatedCode)));
    t.push_back(text("Edit137", "33", 2, K::Digits, R::TwoDigitCode, key(S::TAB2, 16), "Label147",
                     33, 2, C::DigitGroup, 23, remote(G::Switch, 9, "352", RC::Text)));
    t.push_back(text("Edit138", "5", 2, K::Digits, R::AtLeastOne, key(S::TAB2, 17), "Label148", 32,
                     1, C::Number, 24, remote(G::Switch, 11, "362", RC::TwoDigits)));
    t.push_back(text("Edit139", "15", 2, K::Digits, R::AtLeastOne, key(S::TAB2, 19), "Label153", 28,
                     1, C::Number, 26, remote(G::Switch, 14, "38", RC::TwoDigits)));
    // Basic parameters.
    t.push_back(text("Edit140", "55", 2, K::Digits, R::TwoDigitCode, key(S::TAB1, 42), "Label154",
                     17, 2, C::DigitGroup, 4, remote(G::Basic, 2, "431", RC::Text)));
    t.push_back(text("Edit141", "66", 2, K::Digits, R::TwoDigitCode, key(S::TAB1, 43), "Label155",
                     19, 2, C::DigitGroup, 5, remote(G::Basic, 3, "432", RC::Text)));
    t.push_back(text("Edit142", "11", 2, K::Digits, R::TwoDigitCode, key(S::TAB1, 52), "Label156",
                     10, 2, C::DigitGroup, 6, remote(G::Basic, 5, "45", RC::Text)));
    t.push_back(text("Edit143", "10", 2, K::Digits, R::TwoDigitCode, key(S::TAB1, 53), "Label157",
                     12, 2, C::DigitGroup, 7, remote(G::Basic, 6, "46", RC::Text)));
    t.push_back(text("Edit144", "7850", 4, K::Digits, R::ServicePassword, key(S::TAB1, 81),
                     "Label158", 21, 4, C::DigitGroup, 10, remote(G::Basic, 4, "44", RC::Text)));
    // Time parameters.
    t.push_back(text("Edit145", "2", 3, K::CallTime, R::CallTime, key(S::TAB3, 12), "Label149", 3,
                     1, C::CallTime, 27, remote(G::Time, 1, "52", RC::TalkTime)));
    t.push_back(text("Edit146", "1", 1, K::Count1to9, R::EmptyBecomesOne, key(S::TAB3, 13),
                     "Label150", 2, 1, C::Number, 28, remote(G::Time, 0, "51", RC::Text)));
    t.push_back(text("Edit147", "2", 1, K::Count1to9, R::EmptyBecomesOne, key(S::TAB3, 14),
                     "Label151", 4, 1, C::Number, 29, remote(G::Time, 2, "53", RC::Text)));
    t.push_back(text("Edit148", "2", 1, K::Count1to5, R::EmptyBecomesOne, key(S::TAB3, 15),
                     "Label152", 5, 1, C::Number, 30, remote(G::Time, 3, "54", RC::Text)));
    t.push_back(text("Edit149", "1", 1, K::Count1to5, R::EmptyBecomesOne, key(S::TAB3, 16),
                     "Label159", 6, 1, C::Number, 31, remote(G::Time, 4, "55", RC::Text)));
    t.push_back(text("Edit150", "12", 2, K::Digits, R::RingCount, key(S::TAB3, 17), "Label160", 7,
                     1, C::RingCount, 32, remote(G::Time, 5, "56", RC::TwoDigits)));
    FieldDef unfitted =
        text("Edit151", "0", 1, K::Unfitted, R::Unfitted, key(S::TAB1, 92), "Label161", 128, 1,
             C::Number, 11, remote(G::Basic, 10, "6#", RC::Text));
    unfitted.hint = key(S::HINT, 3);
    t.push_back(unfitted);
    t.push_back(text("Edit152", "100", 3, K::Digits, R::ToneTime, key(S::TAB3, 22), "Label162", 8,
                     1, C::ToneNibbleHigh, 33, remote(G::Time, 6, "57", RC::ToneTenths)));
    t.push_back(text("Edit153", "100", 3, K::Digits, R::ToneTime, key(S::TAB3, 23), "Label163", 8,
                     1, C::ToneNibbleLow, 34, remote(G::Time, 7, "58", RC::ToneTenths)));
    t.push_back(text("Edit154", "100", 3, K::Digits, R::FlashTime, key(S::TAB3, 24), "Label164", 9,
                     1, C::FlashNibbleHigh, 35, remote(G::Time, 8, "59", RC::Hundreds)));
    t.push_back(text("Edit155", "800", 4, K::Digits, R::PauseTime, key(S::TAB3, 25), "Label165", 9,
                     1, C::PauseNibbleLow, 36, remote(G::Time, 9, "50", RC::PauseHundreds)));
    // Mode and power-on panels: display only, never stored in a settings file.
    FieldDef mode = text("Edit156", "DEN", 0, K::DisplayOnly, R::None, key(S::Menu, 61), "Label1",
                         127, 1, C::DayNightMode, 0);
    mode.hint = key(S::HINT, 5);
    t.push_back(mode);
    FieldDef counter = text("Edit157", "0", 0, K::DisplayOnly, R::None, key(S::Menu, 62), "Label2",
                            126, 1, C::PowerOnCount, 0);
    counter.hint = key(S::HINT, 6);
    t.push_back(counter);
    t.push_back(text("Edit158", "", 4, K::Prefix, R::None, key(S::TAB3, 31), "Label168", 113, 4,
                     C::DigitGroup, 167));

    auto check = [](const char* name, const char* def, TextKey caption, int pos, ImageCoding coding,
                    int record, FileCoding fileCoding, RemoteDef remote) {
        return FieldDef{
            name,    FieldKind::Check, def, 0, KeyFilter::None, ExitRule::None, caption,
            nullptr, std::nullopt,     pos, 1, coding,          record,         fileCoding,
            remote};
    };
    t.push_back(check("CheckBox1", "1", key(S::TAB2, 18), 35, C::CheckOneZero, 18,
                      FileCoding::Check, remote(G::Switch, 12, "371", RC::CheckOneZero)));
    t.push_back(check("CheckBox2", "1", key(S::TAB2, 18), 36, C::CheckOneZero, 25,
                      FileCoding::Check, remote(G::Switch, 13, "372", RC::CheckOneZero)));
    t.push_back(check("CheckBox3", "1", key(S::TAB3, 27), 125, C::SoundBit0, 165,
                      FileCoding::SoundBits, remote(G::Time, 10, "6", RC::SoundBits)));
    t.push_back(check("CheckBox4", "1", key(S::TAB3, 28), 125, C::SoundBit1, 165,
                      FileCoding::SoundBits, remote(G::Time, 10, "6", RC::PartOfStep)));
    t.push_back(check("CheckBox5", "0", key(S::TAB3, 30), 124, C::CheckZeroOne, 166,
                      FileCoding::CheckZeroOne, remote(G::Time, 11, "6*", RC::CheckZeroOne)));

    // The tone-detection lists of TForm13; their labels belong to that dialog.
    auto list = [](const char* name, const char* def, TextKey caption, const char* label, int pos,
                   ImageCoding coding, int record) {
        return FieldDef{name,
                        FieldKind::List,
                        def,
                        0,
                        KeyFilter::NoTyping,
                        ExitRule::None,
                        caption,
                        label,
                        std::nullopt,
                        pos,
                        1,
                        coding,
                        record,
                        FileCoding::Text};
    };
    t.push_back(list("ComboBox1", "8", key(S::TAB3, 34), "Label149", 121, C::BusyToneCount, 170));
    t.push_back(list("ComboBox2", "350-500", key(S::TAB3, 33), "Label150", 122, C::ToneBand, 169));
    t.push_back(list("ComboBox3", "4", key(S::TAB3, 35), "Label151", 123, C::ToneDuration, 171));
    return t;
}

std::vector<OptionGroupDef> buildOptionGroups() {
    const TextKey tab1_76 = key(S::TAB1, 76);
    return {
        {"GroupBox13",
         key(S::TAB1, 11),
         {{"RadioButton6", 0, "1", key(S::TAB1, 12), "", "0"},
          {"RadioButton7", 1, "0", key(S::TAB1, 13), "", "1"}},
         "RadioButton6",
         25,
         1,
         remote(G::Basic, 0, "41", RC::Option)},
        {"GroupBox14",
         key(S::TAB1, 21),
         {{"RadioButton8", 0, "0", key(S::TAB1, 22), "", "0"},
          {"RadioButton9", 1, "1", key(S::TAB1, 23), "", "1"}},
         "RadioButton9",
         27,
         2,
         remote(G::Basic, 7, "47", RC::Option)},
        {"GroupBox15",
         key(S::TAB1, 31),
         {{"RadioButton10", 11, "*", key(S::TAB1, 32), "", "*"},
          {"RadioButton11", 12, "#", key(S::TAB1, 33), "", "#"}},
         "RadioButton10",
         26,
         3,
         remote(G::Basic, 1, "42", RC::Option)},
        {"GroupBox11",
         key(S::TAB1, 61),
         {{"RadioButton1", 0, "0", key(S::TAB1, 62), "", "0"},
          {"RadioButton2", 1, "1", key(S::TAB1, 63), "", "1"},
          {"RadioButton3", 2, "2", key(S::TAB1, 64), "", "2"},
          {"RadioButton16", 3, "3", key(S::TAB1, 95), "", "3"}},
         "RadioButton1",
         14,
         8,
         remote(G::Basic, 8, "48", RC::Option)},
        {"GroupBox12",
         key(S::TAB1, 71),
         {{"RadioButton4", 0, "0", key(S::TAB1, 72), "", "0"},
          {"RadioButton5", 1, "1", key(S::TAB1, 73), "", "1"}},
         "RadioButton4",
         15,
         9,
         remote(G::Basic, 9, "49", RC::Option)},
        {"GroupBox26",
         key(S::TAB1, 74),
         {{"RadioButton22", 0, "0", key(S::TAB1, 75), "", nullptr},
          {"RadioButton23", 1, "1", tab1_76, " *", nullptr},
          {"RadioButton24", 2, "2", tab1_76, " #", nullptr},
          {"RadioButton25", 3, "3", tab1_76, " A", nullptr}},
         "RadioButton22",
         16,
         168},
        {"GroupBox18",
         key(S::TAB2, 121),
         {{"RadioButton12", 1, "1", key(S::TAB2, 122), "", "1"},
          {"RadioButton13", 2, "2", key(S::TAB2, 123), "", "2"},
          {"RadioButton14", 3, "3", key(S::TAB2, 124), "", "3"},
          {"RadioButton15", 4, "4", key(S::TAB2, 125), "", "4"}},
         "RadioButton12",
         37,
         12,
         remote(G::Switch, 0, "311", RC::Option)},
        {"GroupBox19",
         key(S::TAB2, 121),
         {{"RadioButton17", 1, "1", key(S::TAB2, 122), "", "1"},
          {"RadioButton18", 2, "2", key(S::TAB2, 123), "", "2"},
          {"RadioButton19", 3, "3", key(S::TAB2, 124), "", "3"},
          {"RadioButton20", 4, "4", key(S::TAB2, 125), "", "4"},
          {"RadioButton21", 5, "5", key(S::TAB2, 126), "", "5"}},
         "RadioButton17",
         38,
         19,
         remote(G::Switch, 1, "312", RC::Option)},
    };
}

std::vector<FileRecordDef> buildFileRecords() {
    static const char* const fixed[] = {
        "Dial: ", "Keyb: ", "EndS: ", "HgU1: ", "HgU2: ", "Day : ", "Nigh: ", "Cmod: ", "MdKb: ",
        "Pasw: ", "Butt: ", "MdS1: ", "HDN1: ", "HDa1: ", "HNi1: ", "KTH1: ", "Tim1: ", "Dir1: ",
        "MdS2: ", "HDN2: ", "HDa2: ", "HNi2: ", "KTH2: ", "Tim2: ", "Dir2: ", "Tm12: ", "MaSp: ",
        "NoRi: ", "TBtn: ", "THng: ", "TDia: ", "TRep: ", "TTon: ", "TSpc: ", "TFls: ", "TPas: "};
    static const char* const optional[] = {
        "TONE: ", "SIEM: ", "PRFX: ", "DTMF: ", "FREQU:", "COUNT:", "TIMED:"};
    static std::vector<QByteArray> memoryNames;
    memoryNames.clear();
    for (int k = 1; k <= 128; ++k)
        memoryNames.push_back(QByteArray("M") + QByteArray::number(k).rightJustified(3, '0') +
                              ": ");

    std::vector<FileRecordDef> r;
    int n = 1;
    for (const char* name : fixed)
        r.push_back({n++, name});
    for (const QByteArray& name : memoryNames)
        r.push_back({n++, name.constData()});
    for (const char* name : optional)
        r.push_back({n++, name});
    return r;
}

} // namespace

const std::vector<FieldDef>& fieldTable() {
    static const std::vector<FieldDef> table = buildFieldTable();
    return table;
}

const std::vector<OptionGroupDef>& optionGroups() {
    static const std::vector<OptionGroupDef> groups = buildOptionGroups();
    return groups;
}

const std::vector<FileRecordDef>& fileRecords() {
    static const std::vector<FileRecordDef> records = buildFileRecords();
    return records;
}

const FieldDef* findField(const QString& name) {
    static const QHash<QString, const FieldDef*> index = [] {
        QHash<QString, const FieldDef*> h;
        for (const FieldDef& f : fieldTable())
            h.insert(QString::fromLatin1(f.name), &f);
        return h;
    }();
    return index.value(name, nullptr);
}

const OptionGroupDef* findOptionGroup(const QString& buttonName) {
    static const QHash<QString, const OptionGroupDef*> index = [] {
        QHash<QString, const OptionGroupDef*> h;
        for (const OptionGroupDef& g : optionGroups())
            for (const OptionDef& o : g.options)
                h.insert(QString::fromLatin1(o.button), &g);
        return h;
    }();
    return index.value(buttonName, nullptr);
}

const OptionGroupDef* findOptionGroupByRecord(int fileRecord) {
    for (const OptionGroupDef& g : optionGroups())
        if (g.fileRecord == fileRecord)
            return &g;
    return nullptr;
}

const OptionGroupDef* findOptionGroupByPosition(int imagePosition) {
    for (const OptionGroupDef& g : optionGroups())
        if (g.imagePosition == imagePosition)
            return &g;
    return nullptr;
}

const std::vector<QString>& allParameterNames() {
    static const std::vector<QString> names = [] {
        std::vector<QString> n;
        for (int k = 1; k <= 158; ++k)
            n.push_back(QStringLiteral("Edit%1").arg(k));
        for (int k = 1; k <= 25; ++k)
            n.push_back(QStringLiteral("RadioButton%1").arg(k));
        for (int k = 1; k <= 5; ++k)
            n.push_back(QStringLiteral("CheckBox%1").arg(k));
        for (int k = 1; k <= 3; ++k)
            n.push_back(QStringLiteral("ComboBox%1").arg(k));
        return n;
    }();
    return names;
}

const std::vector<QString>& listItems(const QString& listName) {
    static const std::vector<QString> busy = {"4", "6", "8", "10", "2"};
    static const std::vector<QString> band = {"200-350", "250-400", "300-450", "350-500",
                                              "400-550", "450-600", "500-650", "550-700",
                                              "600-750", "650-800", "700-850", "750-900"};
    static const std::vector<QString> duration = {"1", "2", "3", "4", "5"};
    static const std::vector<QString> none;
    if (listName == QLatin1String("ComboBox1"))
        return busy;
    if (listName == QLatin1String("ComboBox2"))
        return band;
    if (listName == QLatin1String("ComboBox3"))
        return duration;
    return none;
}

QString numberFieldName(int memory) {
    return QStringLiteral("Edit%1").arg(memory + 1);
}

} // namespace lumo
