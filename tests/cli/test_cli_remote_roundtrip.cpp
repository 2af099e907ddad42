// End to end: `lumo-cli remote write` of a parameter set, `lumo-cli remote read` of everything
// back, and the local `lumo-cli read` of the same simulated unit on the bench agree. The remote
// commands run in this process in virtual time against the simulator's line box; the unit's
// memory then goes to `lumo-sim unit`, which the local read reaches on a pseudo-terminal.
#include "CliRemoteFixture.h"
#include "support/FileHelpers.h"
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace lumo::test {
namespace {

class CliRemoteRoundTrip : public CliRemoteFixture {
protected:
    QString memoryFile() const override { return dir.filePath(QStringLiteral("unit.img")); }
};

QJsonObject jsonOf(const QString& path) {
    return QJsonDocument::fromJson(readFile(path)).object();
}

// Control names whose values differ between the two files, with both values.
QStringList differences(const QJsonObject& a, const QJsonObject& b) {
    QStringList out;
    QStringList keys = a.keys();
    for (const QString& k : b.keys())
        if (!keys.contains(k))
            keys << k;
    for (const QString& k : keys)
        if (a.value(k) != b.value(k))
            out << QStringLiteral("%1: %2 / %3")
                       .arg(k, a.value(k).toVariant().toString(),
                            b.value(k).toVariant().toString());
    return out;
}

TEST_F(CliRemoteRoundTrip, WrittenOverTheLineReadBackAndReadOnTheBenchAgree) {
    if (!QFileInfo::exists(QStringLiteral(LUMO_SIM_PATH)) ||
        !QFileInfo::exists(QStringLiteral(LUMO_CLI_PATH)))
        GTEST_SKIP() << "programs not built";
    ParameterSet set;
    const std::pair<const char*, const char*> values[] = {
        {"Edit1", "111"},         {"Edit2", "0601234567"}, {"Edit64", "12P34"}, {"Edit65", "5"},
        {"Edit128", "987654321"}, {"Edit129", "123456"},   {"Edit130", "4321"}, {"Edit133", "12"},
        {"Edit140", "73"},        {"Edit142", "11"},       {"Edit146", "3"},    {"Edit147", "8"},
        {"Edit152", "120"},       {"Edit139", "9"},
    };
    for (const auto& [name, value] : values)
        set.setText(QString::fromLatin1(name), QString::fromLatin1(value));
    set.setChecked(QStringLiteral("RadioButton13"), true); // switch 1 works the camera
    set.setChecked(QStringLiteral("CheckBox1"), true);
    save(QStringLiteral("in.json"), set);

    const CliRun w = write({path("in.json")});
    ASSERT_EQ(w.status, 0) << w.err;
    const CliRun r = read({"--settings", "--day", "1-64", "--night", "1-64", path("remote.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, ::testing::HasSubstr("read settings and 128 memories"));

    // What was written came back.
    const QJsonObject in = jsonOf(path("in.json"));
    const QJsonObject remote = jsonOf(path("remote.json"));
    for (const auto& [name, value] : values)
        EXPECT_EQ(remote.value(QLatin1String(name)).toString(), QLatin1String(value)) << name;
    EXPECT_TRUE(remote.value(QLatin1String("RadioButton13")).toBool());
    EXPECT_TRUE(remote.value(QLatin1String("CheckBox1")).toBool());

    // The same unit on the bench.
    QProcess sim;
    sim.start(QStringLiteral(LUMO_SIM_PATH),
              {"unit", "--pty-link", path("unit"), "--memory", memoryFile()});
    ASSERT_TRUE(sim.waitForReadyRead(10000));
    const QString terminal = QString::fromUtf8(sim.readLine()).trimmed();
    QProcess cli;
    cli.start(QStringLiteral(LUMO_CLI_PATH),
              {"read", "all", "--port", terminal, path("local.json")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    sim.terminate();
    sim.waitForFinished(5000);
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QJsonObject local = jsonOf(path("local.json"));
    ASSERT_FALSE(local.isEmpty());

    EXPECT_EQ(differences(remote, local).join('\n').toStdString(), "") << "remote / local";
    // Nothing the set holds was lost on the way either; only what no write group carries comes
    // from the unit as it was: the third tone-detection list and the firmware version.
    EXPECT_EQ(differences(in, remote).join('\n').toStdString(),
              "ComboBox3: 4 / 2\nFirmwareVersion:  / 1.7")
        << "written / read back";
}

} // namespace
} // namespace lumo::test
