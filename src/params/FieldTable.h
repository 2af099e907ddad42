#pragma once
#include "texts/TextKey.h"
#include <QString>
#include <optional>
#include <vector>

namespace lumo {

// Every parameter of the unit is declared once in the tables below. The windows, the codec,
// the settings file, the printout and the remote command builders all read these tables.

enum class FieldKind {
    Text,   // QLineEdit: Edit1..Edit158
    Check,  // QCheckBox: CheckBox1..CheckBox5
    Option, // QRadioButton inside an option group: RadioButton1..RadioButton25
    List,   // QComboBox of the tone-detection dialog: ComboBox1..ComboBox3
};

// Key filters run on each typed character.
enum class KeyFilter {
    None,
    Digits,         // "0".."9"
    CallTime,       // digits and the locale's decimal separator
    Count1to9,      // "1".."9"
    Count1to5,      // "1".."5"
    Unfitted,       // "0".."2" with the confirmation question
    Prefix,         // digits, "*", "#"; H/h -> "*", K/k -> "#"
    DiallingNumber, // digits, "*", "#", "P", "F"; p -> P, f -> F, H/h -> "*", K/k -> "#"
    DisplayOnly,    // every key swallowed
    NoTyping,       // lists: values are chosen, never typed
};

// Exit rules run on the trimmed text when a field loses the focus.
enum class ExitRule {
    None,
    TwoDigitCode,    // rejecting, MESSAGE 12
    Password,        // rejecting, MESSAGE 11
    ServicePassword, // rejecting, MESSAGE 14
    Unfitted,        // rejecting, MESSAGE 13, restores the value on entry
    AtLeastOne,      // correcting
    EmptyBecomesOne, // correcting
    RingCount,       // correcting, two digits 04..99
    ToneTime,        // correcting, 60..150 step 10 (Edit152, Edit153)
    FlashTime,       // correcting, 100..600 step 100 (Edit154)
    PauseTime,       // correcting, 500..1000 step 100 (Edit155)
    CallTime,        // correcting, half, 1..9, 15, 30
};

// How a parameter is held in the 128-byte settings image.
enum class ImageCoding {
    None,
    Number,          // the byte is the decimal value
    RingCount,       // number, shown with two digits
    ToneNibbleHigh,  // Edit152: high nibble of position 8, units of 10 ms
    ToneNibbleLow,   // Edit153: low nibble of position 8
    FlashNibbleHigh, // Edit154: high nibble of position 9, units of 100 ms
    PauseNibbleLow,  // Edit155: low nibble of position 9
    DigitGroup,      // imageLength bytes in the digit code
    CallTime,        // call-time code
    CheckOneZero,    // 1 checked, 0 unchecked (CheckBox1, CheckBox2)
    CheckZeroOne,    // 0 checked, 1 unchecked (CheckBox5)
    SoundBit0,       // CheckBox3: bit 0 of position 125
    SoundBit1,       // CheckBox4: bit 1 of position 125
    PowerOnCount,    // Edit157
    DayNightMode,    // Edit156: 0 DAY, 1 NIGHT
    BusyToneCount,   // ComboBox1
    ToneBand,        // ComboBox2
    ToneDuration,    // ComboBox3
};

// How a parameter is held in its settings-file record.
enum class FileCoding {
    None,         // not stored
    Text,         // the control's text
    Check,        // "1" checked, "0" not (Dir1, Dir2)
    Option,       // the code of the checked button
    SoundBits,    // TONE: bit 0 CheckBox3, bit 1 CheckBox4 (one record for two boxes)
    CheckZeroOne, // SIEM: "0" checked, "1" not
};

struct FieldDef {
    const char* name; // control name, also the widget's objectName
    FieldKind kind;
    const char* defaultValue; // text, or "1"/"0" for check boxes; nullptr: from the texts table
    int maxLength;            // 0: no limit
    KeyFilter filter;
    ExitRule exitRule;
    std::optional<TextKey> caption; // label or control caption (nullopt where composed)
    const char* labelName; // the label that carries the caption, nullptr for the control's own
    std::optional<TextKey> hint;
    int imagePosition; // 1..128, 0 when not in the settings image
    int imageLength;   // bytes of a digit group, else 1
    ImageCoding imageCoding;
    int fileRecord; // 1..171, 0 when not in the settings file
    FileCoding fileCoding;
};

struct OptionDef {
    const char* button;   // RadioButtonN
    int imageCode;        // its byte in the settings image
    const char* fileCode; // its value in the settings file
    TextKey caption;
    const char* captionSuffix; // appended to the caption text (" *" for RadioButton23)
};

struct OptionGroupDef {
    const char* groupBox; // GroupBoxN that holds the buttons
    TextKey caption;      // shown with one blank before and after
    std::vector<OptionDef> options;
    const char* defaultButton;
    int imagePosition;
    int fileRecord;
};

struct FileRecordDef {
    int number;       // 1..171
    const char* name; // exactly six characters
};

// All text, check and list parameters, in control-name order (Edit1..Edit158, CheckBox1..5,
// ComboBox1..3). Option buttons are declared through optionGroups().
const std::vector<FieldDef>& fieldTable();
const std::vector<OptionGroupDef>& optionGroups();
// The 171 records of a settings file in file order.
const std::vector<FileRecordDef>& fileRecords();

const FieldDef* findField(const QString& name);
const OptionGroupDef* findOptionGroup(const QString& buttonName); // the group a button is in
const OptionGroupDef* findOptionGroupByRecord(int fileRecord);
const OptionGroupDef* findOptionGroupByPosition(int imagePosition);

// Every parameter name, in the order `lumo-cli show` prints them: Edit1..Edit158,
// RadioButton1..RadioButton25, CheckBox1..CheckBox5, ComboBox1..ComboBox3.
const std::vector<QString>& allParameterNames();

// The items of the three tone-detection lists, in list order.
const std::vector<QString>& listItems(const QString& listName);

// Number-memory fields: memory m (0..127) is held in Edit(m + 1).
QString numberFieldName(int memory);

} // namespace lumo
