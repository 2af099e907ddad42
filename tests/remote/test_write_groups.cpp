// The four write groups built from the parameter set through the field table.
#include "params/ParameterSet.h"
#include "remote/WriteGroups.h"
#include <gtest/gtest.h>

namespace lumo {
namespace {

std::vector<QByteArray> commands(const remote::CommandTable& t, int count) {
    std::vector<QByteArray> out;
    for (int i = 0; i < count; ++i)
        out.push_back(t.command(i));
    return out;
}

void expectEnd(const remote::CommandTable& t, int slot) {
    EXPECT_EQ(t.command(slot), QByteArray("Kon"));
    EXPECT_EQ(t.reply(slot), QByteArray("Kon"));
}

TEST(WriteGroups, BasicGroupInStepOrder) {
    ParameterSet p;
    p.setChecked("RadioButton7", true);  // pulse dialling
    p.setChecked("RadioButton11", true); // "#"
    p.setText("Edit140", "12");
    p.setText("Edit141", "34");
    p.setText("Edit144", "9876");
    p.setText("Edit142", "11");
    p.setText("Edit143", "22");
    p.setChecked("RadioButton9", true);  // DAY/NIGHT mode
    p.setChecked("RadioButton16", true); // keypad variant 3
    p.setChecked("RadioButton5", true);  // dialling from memory
    p.setText("Edit151", "2");
    remote::CommandTable t;
    const WriteGroupBuild b = BuildBasicWrite(t, p);
    EXPECT_TRUE(b.ok());
    ASSERT_EQ(b.entries, 11);
    EXPECT_EQ(commands(t, 11), (std::vector<QByteArray>{
                                   "ATDE411\r\n", "ATDE42#\r\n", "ATDE43112\r\n", "ATDE43234\r\n",
                                   "ATDE449876\r\n", "ATDE4511\r\n", "ATDE4622\r\n", "ATDE471\r\n",
                                   "ATDE483\r\n", "ATDE491\r\n", "ATDE6#2\r\n"}));
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(t.reply(i), QByteArray("OK")) << i;
    expectEnd(t, 11);

    p.setChecked("RadioButton6", true);
    p.setChecked("RadioButton10", true);
    p.setChecked("RadioButton8", true);
    p.setChecked("RadioButton1", true);
    p.setChecked("RadioButton4", true);
    BuildBasicWrite(t, p);
    EXPECT_EQ(t.command(0), QByteArray("ATDE410\r\n"));
    EXPECT_EQ(t.command(1), QByteArray("ATDE42*\r\n"));
    EXPECT_EQ(t.command(7), QByteArray("ATDE470\r\n"));
    EXPECT_EQ(t.command(8), QByteArray("ATDE480\r\n"));
    EXPECT_EQ(t.command(9), QByteArray("ATDE490\r\n"));
}

TEST(WriteGroups, TimeGroupCodesEveryValue) {
    ParameterSet p;
    p.setText("Edit146", "3");
    p.setText("Edit145", "30");
    p.setText("Edit147", "5");
    p.setText("Edit148", "2");
    p.setText("Edit149", "4");
    p.setText("Edit150", "7");
    p.setText("Edit152", "100");
    p.setText("Edit153", "60");
    p.setText("Edit154", "600");
    p.setText("Edit155", "1000");
    p.setChecked("CheckBox3", true);
    p.setChecked("CheckBox4", true);
    p.setChecked("CheckBox5", false);
    remote::CommandTable t;
    const WriteGroupBuild b = BuildTimeWrite(t, p);
    EXPECT_TRUE(b.ok());
    ASSERT_EQ(b.entries, 12);
    EXPECT_EQ(commands(t, 12),
              (std::vector<QByteArray>{"ATDE513\r\n", "ATDE52#\r\n", "ATDE535\r\n", "ATDE542\r\n",
                                       "ATDE554\r\n", "ATDE5607\r\n", "ATDE575\r\n", "ATDE581\r\n",
                                       "ATDE596\r\n", "ATDE500\r\n", "ATDE63\r\n", "ATDE6*1\r\n"}));
    expectEnd(t, 12);

    p.setText("Edit145", "15");
    p.setText("Edit155", "500");
    p.setText("Edit150", "12");
    p.setChecked("CheckBox4", false);
    p.setChecked("CheckBox5", true);
    BuildTimeWrite(t, p);
    EXPECT_EQ(t.command(1), QByteArray("ATDE52*\r\n"));
    EXPECT_EQ(t.command(5), QByteArray("ATDE5612\r\n"));
    EXPECT_EQ(t.command(9), QByteArray("ATDE505\r\n"));
    EXPECT_EQ(t.command(10), QByteArray("ATDE61\r\n"));
    EXPECT_EQ(t.command(11), QByteArray("ATDE6*0\r\n"));
}

TEST(WriteGroups, TimeThatIsNoNumberIsReported) {
    ParameterSet p;
    p.setText("Edit152", "abc");
    remote::CommandTable t;
    const WriteGroupBuild b = BuildTimeWrite(t, p);
    EXPECT_FALSE(b.ok());
    EXPECT_EQ(b.uncodable, QStringList{"Edit152"});
}

TEST(WriteGroups, SwitchCodesOfSixFourAndNoDigits) {
    ParameterSet p;
    p.setText("Edit129", "123456");
    p.setText("Edit130", "1234");
    p.setText("Edit131", "");
    p.setChecked("RadioButton13", true);
    p.setChecked("RadioButton21", true);
    p.setText("Edit133", "5");
    p.setText("Edit139", "");
    p.setChecked("CheckBox1", true);
    p.setChecked("CheckBox2", false);
    remote::CommandTable t;
    const WriteGroupBuild b = BuildSwitchWrite(t, p);
    EXPECT_TRUE(b.ok());
    ASSERT_EQ(b.entries, 15);
    EXPECT_EQ(t.command(0), QByteArray("ATDE3112\r\n"));
    EXPECT_EQ(t.command(1), QByteArray("ATDE3125\r\n"));
    EXPECT_EQ(t.command(2), QByteArray("ATDE321123456\r\n"));
    EXPECT_EQ(t.command(3), QByteArray("ATDE3311234#\r\n"));
    EXPECT_EQ(t.command(4), QByteArray("ATDE341#\r\n"));
    EXPECT_TRUE(t.command(5).startsWith("ATDE322"));
    EXPECT_TRUE(t.command(6).startsWith("ATDE332"));
    EXPECT_TRUE(t.command(7).startsWith("ATDE342"));
    EXPECT_TRUE(t.command(8).startsWith("ATDE351"));
    EXPECT_TRUE(t.command(9).startsWith("ATDE352"));
    EXPECT_EQ(t.command(10), QByteArray("ATDE36105\r\n"));
    EXPECT_TRUE(t.command(11).startsWith("ATDE362"));
    EXPECT_EQ(t.command(12), QByteArray("ATDE3711\r\n"));
    EXPECT_EQ(t.command(13), QByteArray("ATDE3720\r\n"));
    EXPECT_EQ(t.command(14), QByteArray("ATDE3800\r\n"));
    expectEnd(t, 15);
}

TEST(WriteGroups, MemoriesArePackedAndEscaped) {
    ParameterSet p;
    for (int k = 1; k <= 128; ++k)
        p.setText(QStringLiteral("Edit%1").arg(k), QString());
    p.setText("Edit3", "F12P*");
    p.setText("Edit64", "0");
    p.setText("Edit65", "5");
    p.setText("Edit128", "123");
    remote::CommandTable t;
    t.set(5, "OLD", "OLD");
    const WriteGroupBuild b = BuildMemoryWrite(t, p);
    EXPECT_TRUE(b.ok());
    ASSERT_EQ(b.entries, 4);
    EXPECT_EQ(commands(t, 4), (std::vector<QByteArray>{"ATDE103*#12*0**\r\n", "ATDE1640\r\n",
                                                       "ATDE2015\r\n", "ATDE264123\r\n"}));
    expectEnd(t, 4);
    EXPECT_EQ(t.command(5), QByteArray("OLD")); // never reached, kept

    // All 128 memories full of the longest numbers still fit with their terminator.
    for (int k = 1; k <= 128; ++k)
        p.setText(QStringLiteral("Edit%1").arg(k), QString(16, QLatin1Char('F')));
    const WriteGroupBuild full = BuildMemoryWrite(t, p);
    EXPECT_EQ(full.entries, 128);
    EXPECT_EQ(t.command(0), "ATDE101" + QByteArray(16, 'x').replace("x", "*#") + "\r\n");
    EXPECT_EQ(t.command(127).left(7), QByteArray("ATDE264"));
    expectEnd(t, 128);
}

TEST(WriteGroups, NoMemoriesGiveOnlyTheTerminator) {
    ParameterSet p;
    for (int k = 1; k <= 128; ++k)
        p.setText(QStringLiteral("Edit%1").arg(k), QString());
    remote::CommandTable t;
    EXPECT_EQ(BuildMemoryWrite(t, p).entries, 0);
    expectEnd(t, 0);
}

} // namespace
} // namespace lumo
