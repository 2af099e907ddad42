// The JSON form of a parameter set.
#include "files/ParameterJson.h"
#include "params/FieldTable.h"
#include <gtest/gtest.h>

using namespace lumo;

TEST(ParameterJson, EveryValueRoundTripsInControlNameOrder) {
    ParameterSet p;
    p.setChecked(QStringLiteral("RadioButton7"), true);
    p.setChecked(QStringLiteral("RadioButton21"), true);
    p.setChecked(QStringLiteral("RadioButton14"), true);
    p.setChecked(QStringLiteral("CheckBox1"), false);
    p.setChecked(QStringLiteral("CheckBox5"), true);
    p.setText(QStringLiteral("Edit1"), QStringLiteral("12*#PF"));
    p.setText(QStringLiteral("Edit144"), QStringLiteral("0001"));
    p.setText(QStringLiteral("Edit145"), QStringLiteral("0,5"));
    p.setText(QStringLiteral("Edit2"), QStringLiteral("quote \" back\\slash Čž"));
    p.setText(QStringLiteral("ComboBox2"), QStringLiteral("800-950"));
    p.setFirmwareVersion(QStringLiteral("7.4"));

    const QByteArray json = parameterJson::toJson(p);
    EXPECT_LT(json.indexOf("\"Edit1\""), json.indexOf("\"Edit2\""));
    EXPECT_LT(json.indexOf("\"Edit158\""), json.indexOf("\"RadioButton1\""));
    EXPECT_LT(json.indexOf("\"CheckBox5\""), json.indexOf("\"ComboBox1\""));
    EXPECT_TRUE(json.contains("\"RadioButton7\": true"));
    EXPECT_TRUE(json.contains("\"CheckBox1\": false"));

    ParameterSet back;
    QString problem;
    ASSERT_TRUE(parameterJson::fromJson(json, back, &problem)) << qPrintable(problem);
    for (const QString& n : allParameterNames()) {
        if (n.startsWith(QLatin1String("RadioButton")) || n.startsWith(QLatin1String("CheckBox")))
            EXPECT_EQ(back.isChecked(n), p.isChecked(n)) << qPrintable(n);
        else
            EXPECT_EQ(back.text(n), p.text(n)) << qPrintable(n);
    }
    EXPECT_EQ(back.firmwareVersion(), QStringLiteral("7.4"));
    EXPECT_FALSE(parameterJson::toJson(ParameterSet()).contains("FirmwareVersion"));
}

TEST(ParameterJson, MissingKeysKeepTheDefaults) {
    ParameterSet p;
    p.setText(QStringLiteral("Edit3"), QStringLiteral("stale"));
    ASSERT_TRUE(parameterJson::fromJson(R"({"Edit1": "55", "RadioButton11": true})", p));
    EXPECT_EQ(p.text(QStringLiteral("Edit1")), QStringLiteral("55"));
    EXPECT_EQ(p.text(QStringLiteral("Edit3")), QString()); // the default, not what p held
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton11")));
    EXPECT_FALSE(p.isChecked(QStringLiteral("RadioButton10")));
    EXPECT_EQ(p.text(QStringLiteral("Edit144")), QStringLiteral("7850"));
}

TEST(ParameterJson, BadDocumentsAreRefusedAndChangeNothing) {
    const char* bad[] = {
        "",
        "[1, 2]",
        "{\"Edit1\": \"1\"",
        R"({"Edit999": "1"})",
        R"({"edit1": "1"})",
        R"({"Edit1": 12})",
        R"({"CheckBox1": "true"})",
        R"({"RadioButton1": 1})",
        R"({"FirmwareVersion": 17})",
        R"({"RadioButton6": true, "RadioButton7": true})",
        R"({"RadioButton6": false, "RadioButton7": false})",
    };
    for (const char* json : bad) {
        ParameterSet p;
        p.setText(QStringLiteral("Edit5"), QStringLiteral("keep"));
        const ParameterSet before = p;
        QString problem;
        EXPECT_FALSE(parameterJson::fromJson(QByteArray(json), p, &problem)) << json;
        EXPECT_FALSE(problem.isEmpty()) << json;
        EXPECT_TRUE(p.sameValues(before)) << json;
    }
    ParameterSet p;
    QString problem;
    parameterJson::fromJson(R"({"Edit1": "1", "Bogus": true})", p, &problem);
    EXPECT_TRUE(problem.contains(QStringLiteral("Bogus"))) << qPrintable(problem);
}
