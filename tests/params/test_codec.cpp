// The settings, number-memory and status images against the parameter set.
#include "params/Codec.h"
#include "params/FieldTable.h"
#include "texts/Texts.h"
#include <QLocale>
#include <QStringList>
#include <gtest/gtest.h>

using namespace lumo;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(static_cast<char>(v));
    return b;
}

class CodecTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Czech)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QByteArray encoded() {
        codec.EncodeSettings();
        return codec.settingsImageFromBuffer();
    }
    // A sound image of the default set, with one position changed.
    QByteArray imageWith(int position, int value) {
        ParameterSet defaults;
        TransferBuffer b;
        Codec c(defaults, b, texts);
        c.EncodeSettings();
        QByteArray image = c.settingsImageFromBuffer();
        image[position - 1] = static_cast<char>(value);
        return image;
    }

    ParameterSet params;
    TransferBuffer buffer;
    Texts texts;
    Codec codec{params, buffer, texts};
};

} // namespace

TEST_F(CodecTest, DefaultSetEncodesToThePositionTable) {
    // Written out from the position table and the defaults, position by position.
    QByteArray expected = bytes({0x55, 1,  2, 2,  2, 1, 12, 170, 24,    // 1..9
                                 1,    1,  1, 10,                       // 10..13 codes 11, 10
                                 0,    0,  0,                           // 14..16 option groups
                                 5,    5,  6, 6,  7, 8, 5,  10,         // 17..24 55, 66, 7850
                                 0,    11, 1, 15, 2, 2, 5,  5,   3,  3, // 25..34
                                 1,    1,  1, 1});                      // 35..38
    expected += QByteArray(36, char(255));                              // 39..74 passwords
    expected += QByteArray(38, char(255));                              // 75..112 unused
    expected += QByteArray(4, char(255));                               // 113..116 prefix
    expected += bytes({255, 255, 60, 255, 3, 7, 200, 1, 3, 0, 0, 0});   // 117..128
    ASSERT_EQ(expected.size(), 128);
    EXPECT_EQ(encoded().toHex(' '), expected.toHex(' '));
}

TEST_F(CodecTest, EveryParameterSurvivesAnEncodeAndDecode) {
    params.setChecked(QStringLiteral("RadioButton7"), true);
    params.setChecked(QStringLiteral("RadioButton8"), true);
    params.setChecked(QStringLiteral("RadioButton11"), true);
    params.setChecked(QStringLiteral("RadioButton16"), true);
    params.setChecked(QStringLiteral("RadioButton5"), true);
    params.setChecked(QStringLiteral("RadioButton25"), true);
    params.setChecked(QStringLiteral("RadioButton15"), true);
    params.setChecked(QStringLiteral("RadioButton20"), true);
    params.setChecked(QStringLiteral("CheckBox1"), false);
    params.setChecked(QStringLiteral("CheckBox3"), false);
    params.setChecked(QStringLiteral("CheckBox5"), true);
    const std::pair<const char*, const char*> texts_[] = {
        {"Edit129", "123456"}, {"Edit130", "12"},   {"Edit131", "908"},  {"Edit132", "44"},
        {"Edit133", "99"},     {"Edit134", "1111"}, {"Edit135", "0000"}, {"Edit136", "77"},
        {"Edit137", "01"},     {"Edit138", "1"},    {"Edit139", "42"},   {"Edit140", "00"},
        {"Edit141", ""},       {"Edit142", "98"},   {"Edit143", "12"},   {"Edit144", "0001"},
        {"Edit145", "0,5"},    {"Edit146", "9"},    {"Edit147", "1"},    {"Edit148", "5"},
        {"Edit149", "3"},      {"Edit150", "04"},   {"Edit151", "2"},    {"Edit152", "60"},
        {"Edit153", "150"},    {"Edit154", "600"},  {"Edit155", "1000"}, {"Edit156", "NOC"},
        {"Edit157", "255"},    {"Edit158", "0*#9"}, {"ComboBox1", "2"},  {"ComboBox2", "750-900"},
        {"ComboBox3", "1"}};
    for (const auto& [name, value] : texts_)
        params.setText(QString::fromLatin1(name), QString::fromLatin1(value));
    params.setFirmwareVersion(QStringLiteral("7.4"));

    const QByteArray image = encoded();
    ParameterSet decoded;
    TransferBuffer b;
    Codec c(decoded, b, texts);
    const DecodeReport report = c.DecodeSettings(image);
    for (const QString& name : allParameterNames()) {
        if (name.startsWith(QLatin1String("RadioButton")) ||
            name.startsWith(QLatin1String("CheckBox")))
            EXPECT_EQ(decoded.isChecked(name), params.isChecked(name)) << qPrintable(name);
        else
            EXPECT_EQ(decoded.text(name), params.text(name)) << qPrintable(name);
    }
    EXPECT_EQ(decoded.firmwareVersion(), QStringLiteral("7.4"));
    EXPECT_TRUE(report.clean());
}

TEST_F(CodecTest, WrongMarkerIsReportedOnceAndTheImageStillDecodes) {
    QByteArray image = imageWith(1, 0x54);
    image[1] = 7; // Edit146
    const DecodeReport report = codec.DecodeSettings(image);
    ASSERT_EQ(report.messages.size(), 1);
    EXPECT_EQ(report.messages.front(), QStringLiteral("Obsah paměti není správný"));
    EXPECT_EQ(params.text(QStringLiteral("Edit146")), QStringLiteral("7"));
}

TEST_F(CodecTest, CallTimeAndRingCountEdgeCases) {
    params.setText(QStringLiteral("Edit145"), QStringLiteral("0,5"));
    params.setText(QStringLiteral("Edit150"), QStringLiteral("04"));
    const QByteArray image = encoded();
    EXPECT_EQ(uchar(image[2]), 10);
    EXPECT_EQ(uchar(image[6]), 4);

    ParameterSet fresh;
    TransferBuffer b;
    Codec c(fresh, b, texts);
    c.DecodeSettings(image);
    EXPECT_EQ(fresh.text(QStringLiteral("Edit150")), QStringLiteral("04"));

    c.DecodeSettings(imageWith(3, 0));
    EXPECT_EQ(fresh.text(QStringLiteral("Edit145")), QStringLiteral("0,5"));
    c.DecodeSettings(imageWith(3, 11));
    EXPECT_EQ(fresh.text(QStringLiteral("Edit145")), QStringLiteral("15"));
    c.DecodeSettings(imageWith(3, 13));
    EXPECT_EQ(fresh.text(QStringLiteral("Edit145")), QStringLiteral("15")); // unchanged
    c.DecodeSettings(imageWith(7, 123));
    EXPECT_EQ(fresh.text(QStringLiteral("Edit150")), QStringLiteral("23")); // last two digits
}

TEST_F(CodecTest, DiallingTimeNibbles) {
    codec.DecodeSettings(imageWith(8, 170));
    EXPECT_EQ(params.text(QStringLiteral("Edit152")), QStringLiteral("100"));
    EXPECT_EQ(params.text(QStringLiteral("Edit153")), QStringLiteral("100"));
    codec.DecodeSettings(imageWith(9, 24));
    EXPECT_EQ(params.text(QStringLiteral("Edit154")), QStringLiteral("100"));
    EXPECT_EQ(params.text(QStringLiteral("Edit155")), QStringLiteral("800"));

    params.setText(QStringLiteral("Edit152"), QStringLiteral("150"));
    params.setText(QStringLiteral("Edit153"), QStringLiteral("60"));
    params.setText(QStringLiteral("Edit154"), QStringLiteral("600"));
    params.setText(QStringLiteral("Edit155"), QStringLiteral("500"));
    const QByteArray image = encoded();
    EXPECT_EQ(uchar(image[7]), 0xF6);
    EXPECT_EQ(uchar(image[8]), 0x65);
}

TEST_F(CodecTest, SequentialSwitch2ChecksPlainSwitch1) {
    params.setChecked(QStringLiteral("RadioButton13"), true);
    QByteArray image = imageWith(37, 2);
    image[37] = 5;
    codec.DecodeSettings(image);
    EXPECT_TRUE(params.isChecked(QStringLiteral("RadioButton21")));
    EXPECT_TRUE(params.isChecked(QStringLiteral("RadioButton12")));
}

TEST_F(CodecTest, StoredSwitch1ModeSurvivesWhateverSwitch2HeldBefore) {
    params.setChecked(QStringLiteral("RadioButton21"), true); // sequential before the read
    for (int mode : {2, 3, 4}) {
        QByteArray image = imageWith(37, mode);
        image[37] = 2; // switch 2: camera
        codec.DecodeSettings(image);
        EXPECT_EQ(params.checkedOption(QStringLiteral("RadioButton12")),
                  QStringLiteral("RadioButton%1").arg(12 + mode - 1));
        EXPECT_TRUE(params.isChecked(QStringLiteral("RadioButton18")));
        params.setChecked(QStringLiteral("RadioButton21"), true);
    }
}

TEST_F(CodecTest, OptionBytesOutsideTheirCodesLeaveTheGroup) {
    params.setChecked(QStringLiteral("RadioButton3"), true);
    codec.DecodeSettings(imageWith(14, 9));
    EXPECT_TRUE(params.isChecked(QStringLiteral("RadioButton3")));
    codec.DecodeSettings(imageWith(26, 12));
    EXPECT_TRUE(params.isChecked(QStringLiteral("RadioButton11")));
}

TEST_F(CodecTest, CheckBoxesAndSoundBits) {
    codec.DecodeSettings(imageWith(35, 0));
    EXPECT_FALSE(params.isChecked(QStringLiteral("CheckBox1")));
    codec.DecodeSettings(imageWith(35, 2)); // leaves it
    EXPECT_FALSE(params.isChecked(QStringLiteral("CheckBox1")));
    codec.DecodeSettings(imageWith(124, 0));
    EXPECT_TRUE(params.isChecked(QStringLiteral("CheckBox5")));
    codec.DecodeSettings(imageWith(124, 7)); // any other value clears it
    EXPECT_FALSE(params.isChecked(QStringLiteral("CheckBox5")));
    codec.DecodeSettings(imageWith(125, 2));
    EXPECT_FALSE(params.isChecked(QStringLiteral("CheckBox3")));
    EXPECT_TRUE(params.isChecked(QStringLiteral("CheckBox4")));
    codec.DecodeSettings(imageWith(125, 4)); // leaves both
    EXPECT_FALSE(params.isChecked(QStringLiteral("CheckBox3")));
    EXPECT_TRUE(params.isChecked(QStringLiteral("CheckBox4")));

    params.setChecked(QStringLiteral("CheckBox3"), true);
    params.setChecked(QStringLiteral("CheckBox4"), false);
    params.setChecked(QStringLiteral("CheckBox5"), true);
    const QByteArray image = encoded();
    EXPECT_EQ(uchar(image[124]), 1);
    EXPECT_EQ(uchar(image[123]), 0);
}

TEST_F(CodecTest, FirmwareVersionByte) {
    codec.DecodeSettings(imageWith(119, 17));
    EXPECT_EQ(params.firmwareVersion(), QStringLiteral("1.7"));
    codec.DecodeSettings(imageWith(119, 255));
    EXPECT_EQ(params.firmwareVersion(), QStringLiteral("1.7"));
    EXPECT_EQ(uchar(encoded()[118]), 17);
    params.setFirmwareVersion(QString());
    EXPECT_EQ(uchar(encoded()[118]), 60);
}

TEST_F(CodecTest, ToneDetectionLists) {
    params.setText(QStringLiteral("ComboBox1"), QStringLiteral("10"));
    params.setText(QStringLiteral("ComboBox2"), QStringLiteral("800-950"));
    params.setText(QStringLiteral("ComboBox3"), QStringLiteral("3"));
    QByteArray image = encoded();
    EXPECT_EQ(uchar(image[120]), 4);
    EXPECT_EQ(uchar(image[121]), 16);
    EXPECT_EQ(uchar(image[122]), 150);
    codec.DecodeSettings(image);
    EXPECT_EQ(params.text(QStringLiteral("ComboBox1")), QStringLiteral("10"));
    EXPECT_EQ(params.text(QStringLiteral("ComboBox2")), QStringLiteral("750-900"));
    EXPECT_EQ(params.text(QStringLiteral("ComboBox3")), QStringLiteral("3"));
    image[120] = char(255);
    image[121] = 0; // leaves the band
    codec.DecodeSettings(image);
    EXPECT_EQ(params.text(QStringLiteral("ComboBox1")), QStringLiteral("8"));
    EXPECT_EQ(params.text(QStringLiteral("ComboBox2")), QStringLiteral("750-900"));
}

TEST_F(CodecTest, ModeCounterAndUnfittedButtons) {
    codec.DecodeSettings(imageWith(127, 1));
    EXPECT_EQ(params.text(QStringLiteral("Edit156")), QStringLiteral("NOC"));
    codec.DecodeSettings(imageWith(127, 2));
    EXPECT_EQ(params.text(QStringLiteral("Edit156")), QStringLiteral("NOC"));
    EXPECT_EQ(uchar(encoded()[126]), 1);
    params.setText(QStringLiteral("Edit156"), QStringLiteral("DEN"));
    EXPECT_EQ(uchar(encoded()[126]), 0);

    params.setText(QStringLiteral("Edit157"), QStringLiteral("-"));
    EXPECT_EQ(uchar(encoded()[125]), 0);
    params.setText(QStringLiteral("Edit157"), QStringLiteral("200"));
    EXPECT_EQ(uchar(encoded()[125]), 200);
    params.setText(QStringLiteral("Edit151"), QStringLiteral("2"));
    EXPECT_EQ(uchar(encoded()[127]), 2);
}

TEST_F(CodecTest, DigitGroupsRoundTripAndUnknownCharactersKeepTheirSlot) {
    params.setText(QStringLiteral("Edit129"), QStringLiteral("1234"));
    QByteArray image = encoded();
    EXPECT_EQ(image.mid(38, 6), bytes({1, 2, 3, 4, 255, 255}));
    codec.DecodeSettings(image);
    EXPECT_EQ(params.text(QStringLiteral("Edit129")), QStringLiteral("1234"));

    // A character outside the digit code (only a file can bring one) leaves its slot alone.
    params.setText(QStringLiteral("Edit129"), QStringLiteral("9x"));
    image = encoded();
    EXPECT_EQ(image.mid(38, 6), bytes({9, 2, 255, 255, 255, 255}));
}

TEST_F(CodecTest, TransferBufferKeepsSlotsTheEncoderDoesNotAssign) {
    codec.EncodeSettings();
    const int slot17 = buffer[17];
    params.setText(QStringLiteral("Edit1"), QStringLiteral("12"));
    codec.EncodeNumberMemory(0);
    EXPECT_EQ(codec.numberImageFromBuffer(), bytes({1, 2}) + QByteArray(14, char(255)));
    EXPECT_EQ(buffer[17], slot17);

    buffer[121] = 99;
    params.setText(QStringLiteral("ComboBox2"), QStringLiteral("unknown"));
    codec.EncodeSettings();
    EXPECT_EQ(buffer[121], 99); // band slot untouched by an unknown text
}

TEST_F(CodecTest, NumberMemories) {
    QByteArray image = bytes({1, 15, 2}) + QByteArray(13, char(255));
    codec.DecodeNumberMemory(image, 0);
    EXPECT_EQ(params.text(QStringLiteral("Edit1")), QStringLiteral("12"));

    image = bytes({5, 200, 6, 0, 13, 14, 11, 12}) + QByteArray(8, char(255));
    codec.DecodeNumberMemory(image, 64);
    EXPECT_EQ(params.text(QStringLiteral("Edit65")), QStringLiteral("56DPF*#"));
    codec.DecodeNumberMemory(image, 127);
    EXPECT_EQ(params.text(QStringLiteral("Edit128")), QStringLiteral("56DPF*#"));
    codec.DecodeNumberMemory(image, 128); // no such memory
    codec.DecodeNumberMemory(image, -1);
    EXPECT_EQ(params.text(QStringLiteral("Edit129")), QString());

    params.setText(QStringLiteral("Edit128"), QStringLiteral("0123456789*#PF01"));
    codec.EncodeNumberMemory(127);
    ParameterSet other;
    TransferBuffer b;
    Codec c(other, b, texts);
    c.DecodeNumberMemory(codec.numberImageFromBuffer(), 127);
    EXPECT_EQ(other.text(QStringLiteral("Edit128")), QStringLiteral("0123456789*#PF01"));
}

TEST_F(CodecTest, StatusGoesToTheFieldsOrToTheSnapshot) {
    UnitSnapshot snapshot;
    codec.DecodeStatus(bytes({'U', 42, 'X', 9, 'S', 1, 'N', 2}), false, snapshot);
    EXPECT_EQ(params.text(QStringLiteral("Edit157")), QStringLiteral("42"));
    EXPECT_EQ(params.text(QStringLiteral("Edit156")), QStringLiteral("NOC"));
    EXPECT_EQ(params.text(QStringLiteral("Edit151")), QStringLiteral("2"));
    EXPECT_EQ(snapshot, UnitSnapshot());

    codec.DecodeStatus(bytes({'V', 255, 'N', 1, 'S', 0, 'U', 7}), true, snapshot);
    EXPECT_EQ(params.firmwareVersion(), QStringLiteral("2.55")); // no exception for 255
    EXPECT_EQ(snapshot,
              (UnitSnapshot{QStringLiteral("DEN"), QStringLiteral("1"), QStringLiteral("7")}));
    EXPECT_EQ(params.text(QStringLiteral("Edit151")), QStringLiteral("2"));
    EXPECT_EQ(params.text(QStringLiteral("Edit157")), QStringLiteral("42"));

    codec.DecodeStatus(bytes({'S', 2, 'V', 17, 0, 0, 0, 0}), false, snapshot);
    EXPECT_EQ(params.text(QStringLiteral("Edit156")), QStringLiteral("NOC"));
    EXPECT_EQ(params.firmwareVersion(), QStringLiteral("1.7"));
}
