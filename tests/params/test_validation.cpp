// The check that runs before anything is encoded for a unit.
#include "params/Validation.h"
#include "platform/Messenger.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QLocale>
#include <gtest/gtest.h>

using namespace lumo;

namespace {

using RecordingMessenger = test::ScriptedMessenger;

class ValidationTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Czech)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    // The names of the invalid fields after setting `field` to `value` on the defaults.
    QStringList invalidAfter(const char* field, const QString& value) {
        ParameterSet p;
        p.setText(QString::fromLatin1(field), value);
        QStringList names;
        for (const InvalidValue& v : validateForUnit(p, texts))
            names.append(v.field);
        return names;
    }
    bool accepts(const char* field, const char* value) {
        return invalidAfter(field, QString::fromUtf8(value)).isEmpty();
    }

    Texts texts;
};

} // namespace

TEST_F(ValidationTest, DefaultsPass) {
    EXPECT_TRUE(validateForUnit(ParameterSet(), texts).empty());
}

TEST_F(ValidationTest, NumericFieldsWithinTheirRuleRange) {
    struct Case {
        const char* field;
        std::vector<const char*> good;
        std::vector<const char*> bad;
    };
    const Case cases[] = {
        {"Edit133", {"1", "99", "05"}, {"0", "", "100", "-1", "1.5", " 5"}},
        {"Edit139", {"1", "15"}, {"0", "x"}},
        {"Edit146", {"1", "9"}, {"0", "10", ""}},
        {"Edit148", {"1", "5"}, {"6", "0"}},
        {"Edit150", {"04", "4", "99"}, {"3", "03", "100", ""}},
        {"Edit151", {"0", "2"}, {"3", "", "-1"}},
        {"Edit152", {"60", "100", "150"}, {"50", "65", "160", ""}},
        {"Edit154", {"100", "600"}, {"0", "150", "700"}},
        {"Edit155", {"500", "1000"}, {"400", "750", "1100"}},
        {"Edit145", {"0,5", "1", "9", "15", "30"}, {"0.5", "10", "12", "", "0", "2,7"}},
        {"Edit157", {"", "-", "0", "255"}, {"256", "x"}},
        {"ComboBox1", {"2", "10", "255"}, {"", "x", "256"}},
        {"ComboBox2", {"200-350", "800-950"}, {"", "150-300", "350 - 500"}},
        {"ComboBox3", {"0", "5"}, {"", "-1"}},
    };
    for (const Case& c : cases) {
        for (const char* v : c.good)
            EXPECT_TRUE(accepts(c.field, v)) << c.field << " '" << v << "'";
        for (const char* v : c.bad)
            EXPECT_FALSE(accepts(c.field, v)) << c.field << " '" << v << "'";
    }
}

TEST_F(ValidationTest, CodesAndPasswordsHoldOnlyDigits) {
    EXPECT_TRUE(accepts("Edit140", ""));
    EXPECT_TRUE(accepts("Edit140", "09"));
    EXPECT_FALSE(accepts("Edit140", "1"));
    EXPECT_FALSE(accepts("Edit140", "1*"));
    EXPECT_TRUE(accepts("Edit129", ""));
    EXPECT_TRUE(accepts("Edit129", "123456"));
    EXPECT_FALSE(accepts("Edit129", "1"));
    EXPECT_FALSE(accepts("Edit129", "1234567"));
    EXPECT_FALSE(accepts("Edit129", "12a4"));
    EXPECT_TRUE(accepts("Edit144", "0000"));
    EXPECT_FALSE(accepts("Edit144", ""));
    EXPECT_FALSE(accepts("Edit144", "785"));
    EXPECT_FALSE(accepts("Edit144", "78#0"));
}

TEST_F(ValidationTest, DiallingFieldsHoldOnlyDigitCodeCharactersWithinTheirLength) {
    EXPECT_TRUE(accepts("Edit1", "0123456789*#PF0D"));
    EXPECT_FALSE(accepts("Edit1", "0123456789*#PF0D1")); // 17 would lose a character
    EXPECT_FALSE(accepts("Edit64", "12 34"));
    EXPECT_FALSE(accepts("Edit128", "12p"));
    EXPECT_FALSE(accepts("Edit100", "Č"));
    EXPECT_TRUE(accepts("Edit158", "*#09"));
    EXPECT_FALSE(accepts("Edit158", "12345"));
    EXPECT_FALSE(accepts("Edit158", "1A"));
}

TEST_F(ValidationTest, FailuresAreNamedByCaptionAndValueAndNothingPasses) {
    ParameterSet p;
    p.setText(QStringLiteral("Edit144"), QStringLiteral("78"));
    p.setText(QStringLiteral("Edit65"), QStringLiteral("12x"));
    RecordingMessenger messenger;
    EXPECT_FALSE(checkBeforeTransfer(p, texts, messenger));
    ASSERT_EQ(messenger.messages.size(), 1u);
    const QString m = messenger.messages.front();
    EXPECT_TRUE(m.contains(QStringLiteral("\"78\""))) << qPrintable(m);
    EXPECT_TRUE(m.contains(QStringLiteral("Edit144"))) << qPrintable(m);
    // The caption as the user sees it (its first line; two-line captions are joined).
    EXPECT_TRUE(
        m.contains(texts.get(TextSection::TAB1, 81).section(QLatin1Char('\n'), 0, 0).trimmed()))
        << qPrintable(m);
    EXPECT_TRUE(m.contains(QStringLiteral("\"12x\""))) << qPrintable(m);
    EXPECT_TRUE(m.contains(texts.get(TextSection::TAB4, 5) + QStringLiteral(" 1")))
        << qPrintable(m);

    RecordingMessenger quiet;
    EXPECT_TRUE(checkBeforeTransfer(ParameterSet(), texts, quiet));
    EXPECT_TRUE(quiet.messages.empty());
}
