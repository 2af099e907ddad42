// lumo-cli diff, run as a program: exit statuses as diff(1), readable and JSON output.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliResult {
    int status = -1;
    QString out;
    QString err;
};

CliResult cli(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMO_CLI_PATH), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    CliResult r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class CliDiff : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(cli({QStringLiteral("new"), path("a.KTF")}).status, 0);
        ASSERT_EQ(cli({QStringLiteral("convert"), path("a.KTF"), path("b.json")}).status, 0);
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // Changes one value of the JSON set in b.json.
    void setInB(const QString& name, const QString& value) {
        QFile f(path("b.json"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QJsonDocument doc = QJsonDocument::fromJson(f.readAll());
        f.close();
        QJsonObject o = doc.object();
        ASSERT_TRUE(o.contains(name));
        o[name] = value;
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QJsonDocument(o).toJson());
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CliDiff, IdenticalSetsExitZeroAcrossFormats) {
    const CliResult r = cli({QStringLiteral("diff"), path("a.KTF"), path("b.json")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.trimmed().isEmpty());
    const CliResult j = cli({QStringLiteral("diff"), path("a.KTF"), path("a.KTF"), "--json"});
    EXPECT_EQ(j.status, 0);
    const QJsonObject o = QJsonDocument::fromJson(j.out.toUtf8()).object();
    EXPECT_TRUE(o.value(QStringLiteral("identical")).toBool());
    EXPECT_TRUE(o.value(QStringLiteral("differences")).toArray().isEmpty());
}

TEST_F(CliDiff, DifferingSetsExitOneAndNameEachDifference) {
    setInB(QStringLiteral("Edit129"), QStringLiteral("7"));
    setInB(QStringLiteral("Edit1"), QStringLiteral("123"));
    const CliResult r = cli({QStringLiteral("diff"), path("a.KTF"), path("b.json")});
    EXPECT_EQ(r.status, 1) << qPrintable(r.err);
    const QStringList lines = r.out.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("[Edit129]")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("-> \"7\"")));
    // A number memory reads as its button with the Czech DAY frame caption.
    EXPECT_TRUE(r.out.contains(QStringLiteral("Tlačítko 1 (Skupina 1 / DEN)")))
        << qPrintable(r.out);

    const CliResult j = cli({QStringLiteral("diff"), path("a.KTF"), path("b.json"), "--json"});
    EXPECT_EQ(j.status, 1);
    const QJsonObject o = QJsonDocument::fromJson(j.out.toUtf8()).object();
    EXPECT_FALSE(o.value(QStringLiteral("identical")).toBool());
    const QJsonArray rows = o.value(QStringLiteral("differences")).toArray();
    ASSERT_EQ(rows.size(), 2);
    bool found = false;
    for (const auto& v : rows)
        if (v.toObject().value(QStringLiteral("name")).toString() == QLatin1String("Edit129")) {
            found = true;
            EXPECT_EQ(v.toObject().value(QStringLiteral("b")).toString(), QStringLiteral("7"));
            EXPECT_FALSE(v.toObject().value(QStringLiteral("caption")).toString().isEmpty());
        }
    EXPECT_TRUE(found);
}

TEST_F(CliDiff, TroubleExitsTwo) {
    EXPECT_EQ(cli({QStringLiteral("diff"), path("a.KTF")}).status, 2);
    EXPECT_EQ(cli({QStringLiteral("diff"), path("a.KTF"), path("b.json"), "--bogus"}).status, 2);
    const CliResult missing = cli({QStringLiteral("diff"), path("a.KTF"), path("none.KTF")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("none.KTF"))) << qPrintable(missing.err);
    const CliResult damaged = cli({QStringLiteral("diff"), path("a.KTF"),
                                   QStringLiteral(LUMO_TEST_DATA_DIR "/files/truncated.KTF")});
    EXPECT_EQ(damaged.status, 2) << qPrintable(damaged.out);
    EXPECT_EQ(cli({QStringLiteral("diff"), path("a.KTF"), path("a.txt")}).status, 2);
}
