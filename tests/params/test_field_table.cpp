// Adding a field means adding one table row: every consumer finds every row it needs.
#include "params/Codec.h"
#include "params/FieldCodings.h"
#include "params/FieldRules.h"
#include "params/FieldTable.h"
#include "params/Validation.h"
#include "texts/Texts.h"
#include <QSet>
#include <gtest/gtest.h>

using namespace lumo;

namespace {

QString nameOf(const char* s) {
    return QString::fromLatin1(s);
}

} // namespace

TEST(FieldTableCoverage, EveryImageFieldHasACodingRowAndIsWrittenByTheEncoder) {
    std::vector<int> owners(129, 0);
    for (const FieldDef& f : fieldTable()) {
        if (f.imagePosition == 0)
            continue;
        const ImageCodingRow& row = imageCodingRow(f.imageCoding);
        EXPECT_EQ(row.coding, f.imageCoding) << f.name << ": no row for its coding";
        // A field without an encoder of its own needs a partner at its position that has one.
        bool written = row.encode != nullptr;
        for (const FieldDef& other : fieldTable())
            if (&other != &f && other.imagePosition == f.imagePosition &&
                imageCodingRow(other.imageCoding).encode)
                written = true;
        EXPECT_TRUE(written) << f.name;
        for (int p = f.imagePosition; p < f.imagePosition + f.imageLength; ++p)
            ++owners[size_t(p)];
    }
    for (const OptionGroupDef& g : optionGroups())
        ++owners[size_t(g.imagePosition)];
    // Positions are shared only by the nibble pairs (8, 9) and the sound bits (125).
    for (int p = 1; p <= 128; ++p)
        EXPECT_LE(owners[size_t(p)], (p == 8 || p == 9 || p == 125) ? 2 : 1) << "position " << p;
}

TEST(FieldTableCoverage, EverySettingsFileRecordIsOwnedOnce) {
    ASSERT_EQ(fileRecords().size(), 171u);
    for (const FileRecordDef& r : fileRecords()) {
        const std::vector<const FieldDef*> fields = fieldsOfRecord(r.number);
        const OptionGroupDef* group = findOptionGroupByRecord(r.number);
        EXPECT_NE(fields.empty(), group == nullptr) << "record " << r.number;
        for (const FieldDef* f : fields) {
            EXPECT_NE(f->fileCoding, FileCoding::None) << f->name;
            EXPECT_EQ(fileCodingRow(f->fileCoding).coding, f->fileCoding) << f->name;
        }
        EXPECT_EQ(QByteArray(r.name).size(), 6) << r.number;
    }
    for (const FieldDef& f : fieldTable())
        EXPECT_EQ(f.fileRecord == 0, f.fileCoding == FileCoding::None) << f.name;
}

TEST(FieldTableCoverage, EveryParameterHasAPlaceOnAPageOrInItsOwnWindow) {
    QSet<QString> pages;
    for (const PageDef& p : pageTable())
        pages.insert(nameOf(p.name));
    for (const FrameDef& frame : frameTable()) {
        EXPECT_TRUE(pages.contains(nameOf(frame.page))) << frame.name;
        if (frame.parent) {
            EXPECT_TRUE(findFrame(nameOf(frame.parent))) << frame.name;
        }
        if (frame.kind == FrameKind::Options) {
            EXPECT_TRUE(findOptionGroupByBox(nameOf(frame.name))) << frame.name;
        }
    }
    QSet<QString> rows;
    for (const FieldDef& f : fieldTable()) {
        if (f.kind == FieldKind::List || f.status == StatusTag::Mode ||
            f.status == StatusTag::Counter) {
            // The lists live in the tone-detection dialog, mode and counter in the top row.
            EXPECT_EQ(f.place.frame, nullptr) << f.name;
            continue;
        }
        ASSERT_TRUE(f.place.frame) << f.name << " has no place";
        const FrameDef* frame = findFrame(nameOf(f.place.frame));
        ASSERT_TRUE(frame) << f.name;
        EXPECT_NE(frame->kind, FrameKind::Options) << f.name;
        EXPECT_NE(frame->kind, FrameKind::Command) << f.name;
        const QString slot = nameOf(f.place.frame) + QLatin1Char('/') + QString::number(f.place.row);
        EXPECT_FALSE(rows.contains(slot)) << f.name << " shares " << qPrintable(slot);
        rows.insert(slot);
        if (f.kind == FieldKind::Text) {
            EXPECT_GT(f.place.width, 0) << f.name;
            EXPECT_TRUE(f.labelName) << f.name;
        }
    }
    for (const OptionGroupDef& g : optionGroups()) {
        const FrameDef* frame = findFrame(nameOf(g.groupBox));
        ASSERT_TRUE(frame) << g.groupBox;
        EXPECT_EQ(frame->kind, FrameKind::Options);
        EXPECT_TRUE(frame->caption) << g.groupBox;
    }
}

TEST(FieldTableCoverage, EveryTextFieldHasACaptionForMessagesAndEveryRowALabel) {
    const Texts texts;
    for (const FieldDef& f : fieldTable()) {
        if (f.kind == FieldKind::Text && f.place.frame) {
            EXPECT_FALSE(rowCaption(f, texts).trimmed().isEmpty()) << f.name;
        }
    }
    // Memory rows count the buttons 1..64 on both the DAY and the NIGHT side.
    EXPECT_TRUE(rowCaption(*findField("Edit1"), texts).endsWith(" 1"));
    EXPECT_TRUE(rowCaption(*findField("Edit65"), texts).endsWith(" 1"));
    EXPECT_TRUE(rowCaption(*findField("Edit128"), texts).endsWith(" 64"));
}

TEST(FieldTableCoverage, StatusTagsSwitchRolesAndListsAreNamedOnce) {
    EXPECT_EQ(statusField(StatusTag::Unfitted), "Edit151");
    EXPECT_EQ(statusField(StatusTag::Mode), "Edit156");
    EXPECT_EQ(statusField(StatusTag::Counter), "Edit157");
    EXPECT_EQ(statusField(StatusTag::None), QString());
    int tagged = 0;
    for (const FieldDef& f : fieldTable())
        tagged += f.status != StatusTag::None;
    EXPECT_EQ(tagged, 3);

    EXPECT_EQ(switchRoleButton(SwitchRole::PlainSwitch1), "RadioButton12");
    EXPECT_EQ(switchRoleButton(SwitchRole::SequentialSwitch2), "RadioButton21");
    for (const char* b : {"RadioButton13", "RadioButton14", "RadioButton15"})
        EXPECT_EQ(switchRole(b), SwitchRole::OtherSwitch1) << b;
    EXPECT_EQ(switchRole("RadioButton17"), SwitchRole::None);

    for (const FieldDef& f : fieldTable()) {
        if (f.kind != FieldKind::List) {
            EXPECT_TRUE(f.items.empty()) << f.name;
            continue;
        }
        // The default is one of the items, and every item can be stored in the image.
        const std::vector<QString>& items = listItems(nameOf(f.name));
        ASSERT_FALSE(items.empty()) << f.name;
        EXPECT_NE(std::find(items.begin(), items.end(), nameOf(f.defaultValue)), items.end())
            << f.name;
        for (const QString& item : items) {
            ParameterSet p;
            p.setText(nameOf(f.name), item);
            EXPECT_TRUE(validateForUnit(p, Texts()).empty()) << f.name << " " << qPrintable(item);
        }
    }
    EXPECT_TRUE(listItems("Edit1").empty());
}

TEST(FieldTableCoverage, RangesAgreeWithTheDefaultsAndTheExitRules) {
    // One range serves the exit rule and the validation: a value in range passes both
    // with its value; a value the rule corrects (below the range, or beyond it for the clamping
    // dialling times) comes out as one that validation accepts.
    const Texts texts;
    auto refused = [&](const QString& name, const QString& text) {
        ParameterSet p;
        p.setText(name, text);
        for (const InvalidValue& bad : validateForUnit(p, texts))
            if (bad.field == name)
                return true;
        return false;
    };
    int checked = 0;
    for (const FieldDef& f : fieldTable()) {
        if (!f.range)
            continue;
        ++checked;
        const QString name = nameOf(f.name);
        const ValueRange r = *f.range;
        for (int v = r.lo - 2 * r.step; v <= r.hi + 2 * r.step; ++v) {
            const ExitResult exit = applyExitRule(f, QString::number(v), QLatin1Char(','));
            const bool inRange = v >= r.lo && v <= r.hi && v % r.step == 0;
            const bool corrected = (v < r.lo && f.exitRule != ExitRule::Unfitted &&
                                    f.exitRule != ExitRule::EmptyBecomesOne) ||
                                   f.exitRule == ExitRule::DiallingTime;
            if (inRange) {
                EXPECT_EQ(exit.text.toInt(), v) << f.name; // the ring count gains a zero
                EXPECT_FALSE(refused(name, exit.text)) << f.name << " " << v;
            } else if (corrected) {
                EXPECT_FALSE(refused(name, exit.text))
                    << f.name << ": " << v << " became " << qPrintable(exit.text);
            } else {
                EXPECT_TRUE(refused(name, QString::number(v))) << f.name << " " << v;
            }
        }
        ParameterSet defaults;
        EXPECT_FALSE(refused(name, defaults.text(name))) << f.name;
    }
    EXPECT_EQ(checked, 13);
}

TEST(FieldTableCoverage, DisplayTextsFollowTheDisplayCoding) {
    const Texts texts;
    ParameterSet p;
    p.setChecked("CheckBox1", true);
    p.setChecked("CheckBox2", false);
    p.setChecked("CheckBox3", true);
    p.setChecked("CheckBox5", false);
    EXPECT_EQ(displayText(*findField("CheckBox1"), p, texts), "X");
    EXPECT_EQ(displayText(*findField("CheckBox2"), p, texts), "-");
    EXPECT_EQ(displayText(*findField("CheckBox3"), p, texts), "Ano");
    EXPECT_EQ(displayText(*findField("CheckBox5"), p, texts), "Ne");
    EXPECT_EQ(displayText(*findField("Edit144"), p, texts), "7850");
}
