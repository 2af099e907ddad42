#pragma once
#include "texts/TextKey.h"
#include <QString>
#include <optional>
#include <vector>

namespace lumo {

class Texts;

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
    AtLeastOne,      // correcting: empty or below the range becomes its lowest value
    EmptyBecomesOne, // correcting: empty becomes 1
    RingCount,       // correcting, two digits from the range's lowest value
    DiallingTime,    // correcting: empty 60, then into the range, rounded to its step
    CallTime,        // correcting, half, 1..9, 15, 30
};

// The values a numeric field takes: lo..hi in multiples of step.
struct ValueRange {
    int lo;
    int hi;
    int step = 1;
};

// The fields the unit's status read fills; the value is the tag letter of that read.
enum class StatusTag : char {
    None = 0,
    Unfitted = 'N', // number of unfitted buttons
    Mode = 'S',     // DAY/NIGHT mode
    Counter = 'U',  // power-on counter
};

// The firmware a parameter needs. Rules run on every tick of the port timer (FieldRules.h).
enum class FirmwareCondition {
    Always,
    KeypadPlace3,  // needs 1.7 or later within major version 1; allowed while unknown
    ToneDetection, // major version 4 or later; not while unknown
    Signalling,    // major version 7 or later; left as it is while unknown
    Prefix,        // 7.4 or later; left as it is while unknown
};

// The buttons the switch-mode rule looks at.
enum class SwitchRole {
    None,
    PlainSwitch1,      // RadioButton12
    OtherSwitch1,      // the other switch-1 modes
    SequentialSwitch2, // RadioButton21: switch 2 switches after switch 1
};

// How a parameter is held in the 128-byte settings image.
enum class ImageCoding {
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
    SoundBits,    // TONE: bit 0 CheckBox3, bit 1 CheckBox4 (one record for two boxes)
    CheckZeroOne, // SIEM: "0" checked, "1" not
};

// The write group a parameter is sent in over the line box, one DTMF programming code per step.
enum class RemoteGroup {
    None,   // never written remotely
    Basic,  // addresses 4x and 6#
    Time,   // addresses 5x, 6 and 6*
    Switch, // addresses 3xx
    Memory, // number memories: 1nn DAY, 2nn NIGHT
};

// How the value after the address is made from the parameter (see RemoteValues.h).
enum class RemoteCoding {
    None,           // no remote entry
    Text,           // the text as the field holds it
    Option,         // the remote code of the checked button of the option group
    TalkTime,       // call time: half "0", "1".."9" as is, "15" "*", "30" "#", else "1"
    TwoDigits,      // last two characters of "00" + text
    ToneTenths,     // trunc(value / 10 - 5)
    Hundreds,       // trunc(value / 100)
    PauseHundreds,  // trunc(value / 100), 10 sent as 0
    CheckOneZero,   // "1" checked, "0" not
    CheckZeroOne,   // "0" checked, "1" not
    SoundBits,      // (1 if this box) + (2 if its partner at the same image position)
    PartOfStep,     // carried by the entry of another field at the same step (CheckBox4)
    TerminatedCode, // as is when six characters long, else followed by "#"
    MemoryNumber,   // the dialling number escaped: F -> "*#", P -> "*0", "*" -> "**"
};

// One parameter's remote write entry: "ATDE" + address + value, sent at `step` of its group.
// Memory entries are packed (empty numbers are skipped), so their step is the memory's order
// 1..128, not the slot they end up in.
struct RemoteDef {
    RemoteGroup group = RemoteGroup::None;
    int step = -1;
    const char* address = nullptr;
    RemoteCoding coding = RemoteCoding::None;
};

// Where a field sits on the parameter pages: a row of a frame (see frameTable()).
struct FieldPlace {
    const char* frame = nullptr; // nullptr: not on a parameter page
    int row = -1;
    int width = 0;                     // fixed width of a text field
    const char* labelSuffix = "";      // appended to the row label's caption
    const char* suffixLabel = nullptr; // a label after the field ("Label167")
    const char* suffixText = nullptr;  // its fixed text ("#")
};

// How a value is shown in the printout and the compare view.
enum class DisplayCoding {
    Text,      // the text as it stands
    CheckMark, // "X" checked, "-" not
    YesNo,     // "Ano" (MESSAGE 53) checked, "Ne" (MESSAGE 54) not
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
    RemoteDef remote{};
    FieldPlace place{};
    int memory = 0; // number memories: 1..64 DAY, 65..128 NIGHT; 0 for every other field
    std::optional<ValueRange> range{};
    StatusTag status = StatusTag::None;
    FirmwareCondition firmware = FirmwareCondition::Always;
    std::vector<const char*> items{}; // the choices of a list, in list order
    DisplayCoding display = DisplayCoding::Text;
};

struct OptionDef {
    const char* button;   // RadioButtonN
    int imageCode;        // its byte in the settings image
    const char* fileCode; // its value in the settings file
    TextKey caption;
    const char* captionSuffix;  // appended to the caption text (" *" for RadioButton23)
    const char* remoteCode;     // the value its group's remote entry sends; nullptr: none
    const char* hint = nullptr; // a fixed hint of the button
    SwitchRole role = SwitchRole::None;
    FirmwareCondition firmware = FirmwareCondition::Always;
};

struct OptionGroupDef {
    const char* groupBox; // GroupBoxN that holds the buttons; its place and caption are in
                          // frameTable()
    std::vector<OptionDef> options;
    const char* defaultButton;
    int imagePosition;
    int fileRecord;
    RemoteDef remote{}; // coding Option
};

// How a frame lays out what it holds.
enum class FrameKind {
    Options,    // an option group's buttons one under the other
    Checks,     // check boxes one under the other
    Rows,       // label | field rows; nested frames and check boxes span both columns
    WrappedRow, // one wrapped label with its field beside it, at the bottom
    LabelAbove, // a wrapped label over its field, the field's suffix label beside it
    NumberRows, // the number memories: a row label | the number
    BareRow,    // a wrapped label and its field without a frame around them
    Command,    // a push button that is not a parameter (`name` is the button)
};

// A frame of a parameter page: a group box (objectName `name`), a bare row or a button.
struct FrameDef {
    const char* name;
    const char* page;   // the page it is on
    const char* parent; // the frame it sits in; nullptr when it sits in a page column
    int column;         // page column; -1 below the columns
    int row;            // its row inside the parent frame
    FrameKind kind;
    std::optional<TextKey> caption; // group boxes: shown with one blank before and after
    std::optional<TextKey> hint;
    FirmwareCondition firmware = FirmwareCondition::Always; // a command the firmware enables
};

// How the frames of a page share its width.
enum class ColumnStyle {
    Stacked, // each column holds its frames one under the other, from the top
    Filled,  // each column is one frame that takes the column's whole height
};

struct PageDef {
    const char* name; // TabSheetN
    TextKey caption;
    const char* captionSuffix;
    ColumnStyle style;
    std::vector<int> columnStretch; // one entry per column
    int verticalMargin;
    int columnSpacing;
};

struct FileRecordDef {
    int number;       // 1..171
    const char* name; // exactly six characters
};

// All text, check and list parameters, in control-name order (Edit1..Edit158, CheckBox1..5,
// ComboBox1..3). Option buttons are declared through optionGroups().
const std::vector<FieldDef>& fieldTable();
const std::vector<OptionGroupDef>& optionGroups();
// The parameter pages in tab order, and every frame on them (in each column from the top,
// nested frames after their parent).
const std::vector<PageDef>& pageTable();
const std::vector<FrameDef>& frameTable();
const FrameDef* findFrame(const QString& name);
// The 171 records of a settings file in file order.
const std::vector<FileRecordDef>& fileRecords();

const FieldDef* findField(const QString& name);
const OptionGroupDef* findOptionGroup(const QString& buttonName); // the group a button is in
const OptionGroupDef* findOptionGroupByRecord(int fileRecord);
const OptionGroupDef* findOptionGroupByBox(const QString& groupBox);

// The caption of a field's row label: its caption key's text, or for a number memory the
// button word and the button's number.
QString rowCaption(const FieldDef& field, const Texts& texts);

// The field a status read fills ("Edit151", "Edit156", "Edit157").
QString statusField(StatusTag tag);
// The role of an option button in the switch-mode rule, and the button of a role.
SwitchRole switchRole(const QString& button);
QString switchRoleButton(SwitchRole role);

// Every parameter name, in the order `lumo-cli show` prints them: Edit1..Edit158,
// RadioButton1..RadioButton25, CheckBox1..CheckBox5, ComboBox1..ComboBox3.
const std::vector<QString>& allParameterNames();

// The items of the three tone-detection lists, in list order.
const std::vector<QString>& listItems(const QString& listName);

// Number-memory fields: memory m (0..127) is held in Edit(m + 1).
QString numberFieldName(int memory);

} // namespace lumo
