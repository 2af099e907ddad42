#include "params/FieldTable.h"
#include "texts/Texts.h"
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

constexpr FieldPlace place(const char* frame, int row, int width = 0, const char* labelSuffix = "",
                           const char* suffixLabel = nullptr, const char* suffixText = nullptr) {
    return FieldPlace{frame, row, width, labelSuffix, suffixLabel, suffixText};
}

// A text field of the basic, switch and time pages.
FieldDef text(const char* name, const char* def, int maxLength, KeyFilter filter, ExitRule rule,
              TextKey caption, const char* label, int imagePos, int imageLen, ImageCoding coding,
              int record, RemoteDef remote = {}, FieldPlace place = {}) {
    return FieldDef{name,         FieldKind::Text,
                    def,          maxLength,
                    filter,       rule,
                    caption,      label,
                    std::nullopt, imagePos,
                    imageLen,     coding,
                    record,       record ? FileCoding::Text : FileCoding::None,
                    remote,       place};
}

// Column setters for the rows that need them.
FieldDef ranged(FieldDef f, int lo, int hi, int step = 1) {
    f.range = ValueRange{lo, hi, step};
    return f;
}
FieldDef hinted(FieldDef f, TextKey hint) {
    f.hint = hint;
    return f;
}
FieldDef status(FieldDef f, StatusTag tag) {
    f.status = tag;
    return f;
}
FieldDef needs(FieldDef f, FirmwareCondition condition) {
    f.firmware = condition;
    return f;
}

std::vector<FieldDef> buildFieldTable() {
    std::vector<FieldDef> t;
    t.reserve(166);

    // Number memories: Edit1..Edit64 DAY numbers, Edit65..Edit128 NIGHT numbers; the image is
    // the 16-byte number memory, not the settings image.
    // Names must outlive the table, which lives for the whole run.
    static std::vector<QByteArray> numberNames;
    static std::vector<QByteArray> rowLabels;
    static std::vector<QByteArray> memoryAddresses; // "101".."164" DAY, "201".."264" NIGHT
    for (int k = 1; k <= 128; ++k) {
        numberNames.push_back(QByteArray("Edit") + QByteArray::number(k));
        rowLabels.push_back(QByteArray("ButtonLabel") + QByteArray::number(k));
        memoryAddresses.push_back((k <= 64 ? QByteArray("1") : QByteArray("2")) +
                                  QByteArray::number(k <= 64 ? k : k - 64).rightJustified(2, '0'));
    }
    // Four pages of 16 buttons, each with a DAY frame and a NIGHT frame.
    static const char* const dayFrames[] = {"GroupBox1", "GroupBox4", "GroupBox6", "GroupBox8"};
    static const char* const nightFrames[] = {"GroupBox2", "GroupBox5", "GroupBox7", "GroupBox9"};
    for (int k = 1; k <= 128; ++k) {
        const bool firstOfGroup = (k - 1) % 16 == 0;
        const int button = (k - 1) % 64; // 0..63
        const char* frame = (k <= 64 ? dayFrames : nightFrames)[button / 16];
        FieldDef f{
            numberNames[size_t(k - 1)].constData(),
            FieldKind::Text,
            "",
            16,
            KeyFilter::DiallingNumber,
            ExitRule::None,
            std::nullopt,
            rowLabels[size_t(k - 1)].constData(),
            firstOfGroup ? std::optional<TextKey>(key(S::HINT, 2)) : std::nullopt,
            0,
            16,
            ImageCoding::DigitGroup,
            36 + k,
            FileCoding::Text,
            remote(G::Memory, k, memoryAddresses[size_t(k - 1)].constData(), RC::MemoryNumber),
            place(frame, button % 16, 150),
            k};
        t.push_back(f);
    }

    using K = KeyFilter;
    using R = ExitRule;
    using C = ImageCoding;
    // Switch outputs.
    t.push_back(text("Edit129", "", 6, K::Digits, R::Password, key(S::TAB2, 13), "Label140", 39, 6,
                     C::DigitGroup, 13, remote(G::Switch, 2, "321", RC::TerminatedCode),
                     place("GroupBox3", 1, 56)));
    t.push_back(text("Edit130", "", 6, K::Digits, R::Password, key(S::TAB2, 14), "Label141", 51, 6,
                     C::DigitGroup, 14, remote(G::Switch, 3, "331", RC::TerminatedCode),
                     place("GroupBox3", 2, 56)));
    t.push_back(text("Edit131", "", 6, K::Digits, R::Password, key(S::TAB2, 15), "Label142", 63, 6,
                     C::DigitGroup, 15, remote(G::Switch, 4, "341", RC::TerminatedCode),
                     place("GroupBox3", 3, 56)));
    t.push_back(text("Edit132", "22", 2, K::Digits, R::TwoDigitCode, key(S::TAB2, 16), "Label143",
                     29, 2, C::DigitGroup, 16, remote(G::Switch, 8, "351", RC::Text),
                     place("GroupBox3", 4, 30)));
    t.push_back(ranged(text("Edit133", "5", 2, K::Digits, R::AtLeastOne, key(S::TAB2, 17),
                            "Label144", 31, 1, C::Number, 17,
                            remote(G::Switch, 10, "361", RC::TwoDigits), place("GroupBox3", 5, 30)),
                       1, 99));
    t.push_back(text("Edit134", "", 6, K::Digits, R::Password, key(S::TAB2, 13), "Label139", 45, 6,
                     C::DigitGroup, 20, remote(G::Switch, 5, "322", RC::TerminatedCode),
                     place("GroupBox10", 1, 56)));
    t.push_back(text("Edit135", "", 6, K::Digits, R::Password, key(S::TAB2, 14), "Label145", 57, 6,
                     C::DigitGroup, 21, remote(G::Switch, 6, "332", RC::TerminatedCode),
                     place("GroupBox10", 2, 56)));
    t.push_back(text("Edit136", "", 6, K::Digits, R::Password, key(S::TAB2, 15), "Label146", 69, 6,
                     C::DigitGroup, 22, remote(G::Switch, 7, "342", RC::TerminatedCode),
                     place("GroupBox10", 3, 56)));
    t.push_back(text("Edit137", "33", 2, K::Digits, R::TwoDigitCode, key(S::TAB2, 16), "Label147",
                     33, 2, C::DigitGroup, 23, remote(G::Switch, 9, "352", RC::Text),
                     place("GroupBox10", 4, 30)));
    t.push_back(
        ranged(text("Edit138", "5", 2, K::Digits, R::AtLeastOne, key(S::TAB2, 17), "Label148", 32,
                    1, C::Number, 24, remote(G::Switch, 11, "362", RC::TwoDigits),
                    place("GroupBox10", 5, 30)),
               1, 99));
    t.push_back(
        ranged(text("Edit139", "15", 2, K::Digits, R::AtLeastOne, key(S::TAB2, 19), "Label153", 28,
                    1, C::Number, 26, remote(G::Switch, 14, "38", RC::TwoDigits),
                    place("SwitchDelayRow", 0, 30)),
               1, 99));
    // Basic parameters.
    t.push_back(text("Edit140", "55", 2, K::Digits, R::TwoDigitCode, key(S::TAB1, 42), "Label154",
                     17, 2, C::DigitGroup, 4, remote(G::Basic, 2, "431", RC::Text),
                     place("GroupBox16", 0, 30)));
    t.push_back(text("Edit141", "66", 2, K::Digits, R::TwoDigitCode, key(S::TAB1, 43), "Label155",
                     19, 2, C::DigitGroup, 5, remote(G::Basic, 3, "432", RC::Text),
                     place("GroupBox16", 1, 30)));
    t.push_back(text("Edit142", "11", 2, K::Digits, R::TwoDigitCode, key(S::TAB1, 52), "Label156",
                     10, 2, C::DigitGroup, 6, remote(G::Basic, 5, "45", RC::Text),
                     place("GroupBox17", 0, 30)));
    t.push_back(text("Edit143", "10", 2, K::Digits, R::TwoDigitCode, key(S::TAB1, 53), "Label157",
                     12, 2, C::DigitGroup, 7, remote(G::Basic, 6, "46", RC::Text),
                     place("GroupBox17", 1, 30)));
    t.push_back(text("Edit144", "7850", 4, K::Digits, R::ServicePassword, key(S::TAB1, 81),
                     "Label158", 21, 4, C::DigitGroup, 10, remote(G::Basic, 4, "44", RC::Text),
                     place("GroupBox23", 0, 48, "", "Label167", "#")));
    // Time parameters.
    t.push_back(text("Edit145", "2", 3, K::CallTime, R::CallTime, key(S::TAB3, 12), "Label149", 3,
                     1, C::CallTime, 27, remote(G::Time, 1, "52", RC::TalkTime),
                     place("GroupBox22", 0, 40)));
    t.push_back(ranged(text("Edit146", "1", 1, K::Count1to9, R::EmptyBecomesOne, key(S::TAB3, 13),
                            "Label150", 2, 1, C::Number, 28, remote(G::Time, 0, "51", RC::Text),
                            place("GroupBox22", 1, 40)),
                       1, 9));
    t.push_back(ranged(text("Edit147", "2", 1, K::Count1to9, R::EmptyBecomesOne, key(S::TAB3, 14),
                            "Label151", 4, 1, C::Number, 29, remote(G::Time, 2, "53", RC::Text),
                            place("GroupBox22", 2, 40)),
                       1, 9));
    t.push_back(ranged(text("Edit148", "2", 1, K::Count1to5, R::EmptyBecomesOne, key(S::TAB3, 15),
                            "Label152", 5, 1, C::Number, 30, remote(G::Time, 3, "54", RC::Text),
                            place("GroupBox22", 3, 40)),
                       1, 5));
    t.push_back(ranged(text("Edit149", "1", 1, K::Count1to5, R::EmptyBecomesOne, key(S::TAB3, 16),
                            "Label159", 6, 1, C::Number, 31, remote(G::Time, 4, "55", RC::Text),
                            place("GroupBox22", 4, 40)),
                       1, 5));
    t.push_back(ranged(text("Edit150", "12", 2, K::Digits, R::RingCount, key(S::TAB3, 17),
                            "Label160", 7, 1, C::RingCount, 32,
                            remote(G::Time, 5, "56", RC::TwoDigits), place("GroupBox22", 5, 40)),
                       4, 99));
    t.push_back(
        status(hinted(ranged(text("Edit151", "0", 1, K::Unfitted, R::Unfitted, key(S::TAB1, 92),
                                  "Label161", 128, 1, C::Number, 11,
                                  remote(G::Basic, 10, "6#", RC::Text), place("GroupBox20", 0, 24)),
                             0, 2),
                      key(S::HINT, 3)),
               StatusTag::Unfitted));
    t.push_back(ranged(text("Edit152", "100", 3, K::Digits, R::DiallingTime, key(S::TAB3, 22),
                            "Label162", 8, 1, C::ToneNibbleHigh, 33,
                            remote(G::Time, 6, "57", RC::ToneTenths), place("GroupBox21", 0, 40)),
                       60, 150, 10));
    t.push_back(ranged(text("Edit153", "100", 3, K::Digits, R::DiallingTime, key(S::TAB3, 23),
                            "Label163", 8, 1, C::ToneNibbleLow, 34,
                            remote(G::Time, 7, "58", RC::ToneTenths), place("GroupBox21", 1, 40)),
                       60, 150, 10));
    t.push_back(ranged(text("Edit154", "100", 3, K::Digits, R::DiallingTime, key(S::TAB3, 24),
                            "Label164", 9, 1, C::FlashNibbleHigh, 35,
                            remote(G::Time, 8, "59", RC::Hundreds), place("GroupBox21", 2, 40)),
                       100, 600, 100));
    t.push_back(
        ranged(text("Edit155", "800", 4, K::Digits, R::DiallingTime, key(S::TAB3, 25), "Label165",
                    9, 1, C::PauseNibbleLow, 36, remote(G::Time, 9, "50", RC::PauseHundreds),
                    place("GroupBox21", 3, 40)),
               500, 1000, 100));
    // Mode and power-on panels: display only, never stored in a settings file.
    t.push_back(status(hinted(text("Edit156", "DEN", 0, K::DisplayOnly, R::None, key(S::Menu, 61),
                                   "Label1", 127, 1, C::DayNightMode, 0),
                              key(S::HINT, 5)),
                       StatusTag::Mode));
    t.push_back(status(hinted(text("Edit157", "0", 0, K::DisplayOnly, R::None, key(S::Menu, 62),
                                   "Label2", 126, 1, C::PowerOnCount, 0),
                              key(S::HINT, 6)),
                       StatusTag::Counter));
    t.push_back(needs(text("Edit158", "", 4, K::Prefix, R::None, key(S::TAB3, 31), "Label168", 113,
                           4, C::DigitGroup, 167, {}, place("PrefixRow", 0, 44, " ")),
                      FirmwareCondition::Prefix));

    auto check = [](const char* name, const char* def, TextKey caption, int pos, ImageCoding coding,
                    int record, FileCoding fileCoding, RemoteDef remote, FieldPlace place,
                    DisplayCoding display) {
        FieldDef f{name,
                   FieldKind::Check,
                   def,
                   0,
                   KeyFilter::None,
                   ExitRule::None,
                   caption,
                   nullptr,
                   std::nullopt,
                   pos,
                   1,
                   coding,
                   record,
                   fileCoding,
                   remote,
                   place};
        f.display = display;
        return f;
    };
    t.push_back(check("CheckBox1", "1", key(S::TAB2, 18), 35, C::CheckOneZero, 18,
                      FileCoding::Check, remote(G::Switch, 12, "371", RC::CheckOneZero),
                      place("GroupBox3", 6), DisplayCoding::CheckMark));
    t.push_back(check("CheckBox2", "1", key(S::TAB2, 18), 36, C::CheckOneZero, 25,
                      FileCoding::Check, remote(G::Switch, 13, "372", RC::CheckOneZero),
                      place("GroupBox10", 6), DisplayCoding::CheckMark));
    t.push_back(needs(check("CheckBox3", "1", key(S::TAB3, 27), 125, C::SoundBit0, 165,
                            FileCoding::SoundBits, remote(G::Time, 10, "6", RC::SoundBits),
                            place("GroupBox24", 0), DisplayCoding::YesNo),
                      FirmwareCondition::Signalling));
    t.push_back(needs(check("CheckBox4", "1", key(S::TAB3, 28), 125, C::SoundBit1, 165,
                            FileCoding::SoundBits, remote(G::Time, 10, "6", RC::PartOfStep),
                            place("GroupBox24", 1), DisplayCoding::YesNo),
                      FirmwareCondition::Signalling));
    t.push_back(needs(check("CheckBox5", "0", key(S::TAB3, 30), 124, C::CheckZeroOne, 166,
                            FileCoding::CheckZeroOne, remote(G::Time, 11, "6*", RC::CheckZeroOne),
                            place("GroupBox25", 0), DisplayCoding::YesNo),
                      FirmwareCondition::Signalling));

    // The tone-detection lists of TForm13; their labels belong to that dialog.
    auto list = [](const char* name, const char* def, TextKey caption, const char* label, int pos,
                   ImageCoding coding, int record, std::vector<const char*> items) {
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
                        FileCoding::Text,
                        {},
                        {},
                        0,
                        std::nullopt,
                        StatusTag::None,
                        FirmwareCondition::Always,
                        std::move(items)};
    };
    t.push_back(list("ComboBox1", "8", key(S::TAB3, 34), "Label149", 121, C::BusyToneCount, 170,
                     {"4", "6", "8", "10", "2"}));
    t.push_back(list("ComboBox2", "350-500", key(S::TAB3, 33), "Label150", 122, C::ToneBand, 169,
                     {"200-350", "250-400", "300-450", "350-500", "400-550", "450-600", "500-650",
                      "550-700", "600-750", "650-800", "700-850", "750-900"}));
    t.push_back(list("ComboBox3", "4", key(S::TAB3, 35), "Label151", 123, C::ToneDuration, 171,
                     {"1", "2", "3", "4", "5"}));
    return t;
}

std::vector<OptionGroupDef> buildOptionGroups() {
    const TextKey tab1_76 = key(S::TAB1, 76);
    return {
        {"GroupBox13",
         {{"RadioButton6", 0, "1", key(S::TAB1, 12), "", "0"},
          {"RadioButton7", 1, "0", key(S::TAB1, 13), "", "1"}},
         "RadioButton6",
         25,
         1,
         remote(G::Basic, 0, "41", RC::Option)},
        {"GroupBox14",
         {{"RadioButton8", 0, "0", key(S::TAB1, 22), "", "0"},
          {"RadioButton9", 1, "1", key(S::TAB1, 23), "", "1"}},
         "RadioButton9",
         27,
         2,
         remote(G::Basic, 7, "47", RC::Option)},
        {"GroupBox15",
         {{"RadioButton10", 11, "*", key(S::TAB1, 32), "", "*"},
          {"RadioButton11", 12, "#", key(S::TAB1, 33), "", "#"}},
         "RadioButton10",
         26,
         3,
         remote(G::Basic, 1, "42", RC::Option)},
        {"GroupBox11",
         {{"RadioButton1", 0, "0", key(S::TAB1, 62), "", "0"},
          {"RadioButton2", 1, "1", key(S::TAB1, 63), "", "1"},
          {"RadioButton3", 2, "2", key(S::TAB1, 64), "", "2"},
          {"RadioButton16", 3, "3", key(S::TAB1, 95), "", "3", "Only for version firmware > V1.6",
           SwitchRole::None, FirmwareCondition::KeypadPlace3}},
         "RadioButton1",
         14,
         8,
         remote(G::Basic, 8, "48", RC::Option)},
        {"GroupBox12",
         {{"RadioButton4", 0, "0", key(S::TAB1, 72), "", "0"},
          {"RadioButton5", 1, "1", key(S::TAB1, 73), "", "1"}},
         "RadioButton4",
         15,
         9,
         remote(G::Basic, 9, "49", RC::Option)},
        {"GroupBox26",
         {{"RadioButton22", 0, "0", key(S::TAB1, 75), "", nullptr},
          {"RadioButton23", 1, "1", tab1_76, " *", nullptr},
          {"RadioButton24", 2, "2", tab1_76, " #", nullptr},
          {"RadioButton25", 3, "3", tab1_76, " A", nullptr}},
         "RadioButton22",
         16,
         168},
        {"GroupBox18",
         {{"RadioButton12", 1, "1", key(S::TAB2, 122), "", "1", nullptr, SwitchRole::PlainSwitch1},
          {"RadioButton13", 2, "2", key(S::TAB2, 123), "", "2", nullptr, SwitchRole::OtherSwitch1},
          {"RadioButton14", 3, "3", key(S::TAB2, 124), "", "3", nullptr, SwitchRole::OtherSwitch1},
          {"RadioButton15", 4, "4", key(S::TAB2, 125), "", "4", nullptr, SwitchRole::OtherSwitch1}},
         "RadioButton12",
         37,
         12,
         remote(G::Switch, 0, "311", RC::Option)},
        {"GroupBox19",
         {{"RadioButton17", 1, "1", key(S::TAB2, 122), "", "1"},
          {"RadioButton18", 2, "2", key(S::TAB2, 123), "", "2"},
          {"RadioButton19", 3, "3", key(S::TAB2, 124), "", "3"},
          {"RadioButton20", 4, "4", key(S::TAB2, 125), "", "4"},
          {"RadioButton21", 5, "5", key(S::TAB2, 126), "", "5", nullptr,
           SwitchRole::SequentialSwitch2}},
         "RadioButton17",
         38,
         19,
         remote(G::Switch, 1, "312", RC::Option)},
    };
}

std::vector<PageDef> buildPageTable() {
    using CS = ColumnStyle;
    return {
        {"TabSheet3", key(S::TAB1, 1), "", CS::Stacked, {1, 1, 1}, 4, 4},
        {"TabSheet4", key(S::TAB2, 1), "", CS::Filled, {1, 1}, 4, 4},
        {"TabSheet5", key(S::TAB3, 1), "", CS::Stacked, {3, 2}, 4, 4},
        {"TabSheet1", key(S::TAB4, 1), "", CS::Filled, {1, 1}, 2, 8},
        {"TabSheet2", key(S::TAB4, 2), " 17- 32", CS::Filled, {1, 1}, 2, 8},
        {"TabSheet6", key(S::TAB4, 2), " 33- 48", CS::Filled, {1, 1}, 2, 8},
        {"TabSheet7", key(S::TAB4, 2), " 49- 64", CS::Filled, {1, 1}, 2, 8},
    };
}

std::vector<FrameDef> buildFrameTable() {
    using F = FrameKind;
    const auto none = std::nullopt;
    std::vector<FrameDef> t = {
        // Basic page: three columns.
        {"GroupBox13", "TabSheet3", nullptr, 0, 0, F::Options, key(S::TAB1, 11), none},
        {"GroupBox14", "TabSheet3", nullptr, 0, 1, F::Options, key(S::TAB1, 21), none},
        {"GroupBox15", "TabSheet3", nullptr, 0, 2, F::Options, key(S::TAB1, 31), none},
        {"GroupBox20", "TabSheet3", nullptr, 0, 3, F::WrappedRow, key(S::TAB1, 91), none},
        {"GroupBox11", "TabSheet3", nullptr, 1, 0, F::Options, key(S::TAB1, 61), key(S::HINT, 4)},
        {"GroupBox12", "TabSheet3", nullptr, 1, 1, F::Options, key(S::TAB1, 71), none},
        {"GroupBox26", "TabSheet3", nullptr, 1, 2, F::Options, key(S::TAB1, 74), none},
        {"GroupBox16", "TabSheet3", nullptr, 2, 0, F::Rows, key(S::TAB1, 41), none},
        {"GroupBox17", "TabSheet3", nullptr, 2, 1, F::Rows, key(S::TAB1, 51), none},
        {"GroupBox23", "TabSheet3", nullptr, 2, 2, F::LabelAbove, key(S::TAB1, 80), none},
        // Switch page: one frame per switch, the delay between them below.
        {"GroupBox3", "TabSheet4", nullptr, 0, 0, F::Rows, key(S::TAB2, 12), none},
        {"GroupBox18", "TabSheet4", "GroupBox3", 0, 0, F::Options, key(S::TAB2, 121), none},
        {"GroupBox10", "TabSheet4", nullptr, 1, 0, F::Rows, key(S::TAB2, 22), none},
        {"GroupBox19", "TabSheet4", "GroupBox10", 1, 0, F::Options, key(S::TAB2, 121), none},
        {"SwitchDelayRow", "TabSheet4", nullptr, -1, 0, F::BareRow, none, none},
        // Time page: times on the left, signalling, prefix and tone detection on the right.
        {"GroupBox22", "TabSheet5", nullptr, 0, 0, F::Rows, key(S::TAB3, 11), none},
        {"GroupBox21", "TabSheet5", nullptr, 0, 1, F::Rows, key(S::TAB3, 21), none},
        {"GroupBox24", "TabSheet5", nullptr, 1, 0, F::Checks, key(S::TAB3, 26), none},
        {"GroupBox25", "TabSheet5", nullptr, 1, 1, F::Checks, key(S::TAB3, 29), none},
        {"PrefixRow", "TabSheet5", nullptr, 1, 2, F::BareRow, none, none},
        {"Button1", "TabSheet5", nullptr, 1, 3, F::Command, key(S::TAB3, 32), none,
         FirmwareCondition::ToneDetection},
    };
    // Number pages: DAY frame left, NIGHT frame right.
    static const char* const pages[] = {"TabSheet1", "TabSheet2", "TabSheet6", "TabSheet7"};
    static const char* const day[] = {"GroupBox1", "GroupBox4", "GroupBox6", "GroupBox8"};
    static const char* const night[] = {"GroupBox2", "GroupBox5", "GroupBox7", "GroupBox9"};
    for (int p = 0; p < 4; ++p) {
        t.push_back({day[p], pages[p], nullptr, 0, 0, F::NumberRows, key(S::TAB4, 3), none});
        t.push_back({night[p], pages[p], nullptr, 1, 0, F::NumberRows, key(S::TAB4, 4), none});
    }
    return t;
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

const OptionGroupDef* findOptionGroupByBox(const QString& groupBox) {
    for (const OptionGroupDef& g : optionGroups())
        if (groupBox == QLatin1String(g.groupBox))
            return &g;
    return nullptr;
}

QString rowCaption(const FieldDef& f, const Texts& texts) {
    if (f.memory > 0) {
        // Day rows and night rows both count buttons 1..64.
        const int button = (f.memory - 1) % 64 + 1;
        return texts.get(TextSection::TAB4, 5) + QLatin1Char(' ') + QString::number(button);
    }
    if (!f.caption)
        return {};
    return texts.get(*f.caption) + QString::fromLatin1(f.place.labelSuffix);
}

const std::vector<PageDef>& pageTable() {
    static const std::vector<PageDef> pages = buildPageTable();
    return pages;
}

const std::vector<FrameDef>& frameTable() {
    static const std::vector<FrameDef> frames = buildFrameTable();
    return frames;
}

const FrameDef* findFrame(const QString& name) {
    for (const FrameDef& f : frameTable())
        if (name == QLatin1String(f.name))
            return &f;
    return nullptr;
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
    static const QHash<QString, std::vector<QString>> lists = [] {
        QHash<QString, std::vector<QString>> h;
        for (const FieldDef& f : fieldTable())
            if (f.kind == FieldKind::List)
                for (const char* item : f.items)
                    h[QString::fromLatin1(f.name)].push_back(QString::fromLatin1(item));
        return h;
    }();
    static const std::vector<QString> none;
    const auto it = lists.constFind(listName);
    return it == lists.constEnd() ? none : *it;
}

QString statusField(StatusTag tag) {
    for (const FieldDef& f : fieldTable())
        if (tag != StatusTag::None && f.status == tag)
            return QString::fromLatin1(f.name);
    return {};
}

SwitchRole switchRole(const QString& button) {
    for (const OptionGroupDef& g : optionGroups())
        for (const OptionDef& o : g.options)
            if (button == QLatin1String(o.button))
                return o.role;
    return SwitchRole::None;
}

QString switchRoleButton(SwitchRole role) {
    for (const OptionGroupDef& g : optionGroups())
        for (const OptionDef& o : g.options)
            if (role != SwitchRole::None && o.role == role)
                return QString::fromLatin1(o.button);
    return {};
}

QString numberFieldName(int memory) {
    return QStringLiteral("Edit%1").arg(memory + 1);
}

} // namespace lumo
