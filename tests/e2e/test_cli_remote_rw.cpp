// What lumo-cli writes over the telephone line reaches the unit: a remote write through a line box
// served by lumo-sim, a remote read of the same unit, and a local read of that unit's memory on
// the bench cable all agree, and they differ from what the unit held before.
#include "CliRemoteServed.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

using lumo::e2e::CliRemoteTest;
using lumo::test::CliRun;
using lumo::test::ServedUnit;

class CliRemoteReadWrite : public CliRemoteTest {
protected:
    // `lumo-cli read all` of the unit with memory `memory`, served on the bench cable.
    void readOnTheBench(const QString& memory, const QString& out) {
        const ServedUnit unit(m_dir.path(), {"--memory", memory});
        ASSERT_EQ(unit.printed(), unit.port());
        const CliRun r = cli({"read", "all", "--port", unit.port(), out});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
    }
    QStringList remote(const QString& command) const {
        return {"remote", command, "--box", "KAV00001", "--number", "1", "--password", "7850"};
    }
    // The control names `lumo-cli diff` reports between two sets (exit status 1), sorted and
    // joined by spaces, or nothing when they are identical (0).
    std::string differences(const QString& a, const QString& b) {
        const CliRun r = cli({"diff", "--json", a, b});
        EXPECT_TRUE(r.status == 0 || r.status == 1) << r.err.toStdString();
        QStringList names;
        const QJsonObject top = QJsonDocument::fromJson(r.out.toUtf8()).object();
        EXPECT_EQ(top.value("identical").toBool(), r.status == 0) << r.out.toStdString();
        for (const QJsonValue& row : top.value("differences").toArray())
            names << row.toObject().value("name").toString();
        names.sort();
        return names.join(' ').toStdString();
    }
};

TEST_F(CliRemoteReadWrite, AWriteOverTheLineIsWhatTheLineAndTheBenchReadBack) {
    const QString memory = m_dir.filePath("unit.img");
    const QString start = m_dir.filePath("start.json");
    readOnTheBench(memory, start);

    // A few fields of the basic, time and switch groups and four memories changed; the
    // service password stays, it is the one the calls log in with.
    QFile file(start);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject set = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    const QHash<QString, QString> changed = {{"Edit140", "23"},         // basic
                                             {"Edit142", "34"},         // basic
                                             {"Edit146", "4"},          // time
                                             {"Edit150", "20"},         // time
                                             {"Edit132", "47"},         // switch
                                             {"Edit1", "111"},          // DAY 1
                                             {"Edit2", "22"},           // DAY 2
                                             {"Edit3", "604123456"},    // DAY 3
                                             {"Edit128", "777888999"}}; // NIGHT 64
    for (auto it = changed.begin(); it != changed.end(); ++it) {
        ASSERT_TRUE(set.contains(it.key())) << it.key().toStdString();
        ASSERT_NE(set.value(it.key()).toString(), it.value()) << it.key().toStdString();
        set[it.key()] = it.value();
    }
    const QString edited = m_dir.filePath("edited.json");
    QFile out(edited);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QJsonDocument(set).toJson());
    out.close();
    const QString in = m_dir.filePath("IN.KTF");
    ASSERT_EQ(cli({"convert", edited, in}).status, 0);

    // The unit's tones are taken faster than its default 100 ms each: how fast it sends them
    // is the simulated unit's business, and this keeps the read of six blocks short.
    serve({"--memory", memory, "--dtmf-char", "40"}, 5);
    const CliRun w = cli(remote("write") + QStringList{in});
    ASSERT_EQ(w.status, 0) << w.err.toStdString();
    EXPECT_TRUE(w.out.contains(QRegularExpression("^wrote \\d+ entries from ")))
        << w.out.toStdString();

    // Read over the line onto the unit's starting set: whatever the read does not fetch keeps
    // the old values and would show as a difference.
    const QString line = m_dir.filePath("line.json");
    const CliRun r = cli(remote("read") + QStringList{"--settings", "--day", "1-3", "--night", "64",
                                                      "--base", start, line});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    m_box.reset(); // the unit's memory is in its file

    const QString bench = m_dir.filePath("bench.json");
    readOnTheBench(memory, bench);

    EXPECT_EQ(differences(line, bench), "");
    EXPECT_EQ(differences(in, bench), "");
    QStringList expected = changed.keys();
    expected.sort();
    EXPECT_EQ(differences(start, bench), expected.join(' ').toStdString());
}

// The program's clock runs five times fast, but a reply it waits for gets the real time it has
// at real speed: the passes of 1 ms after "AT@RECN" are 10 ms of real time at that speed, too
// short for a box (or a busy machine) that takes 20 ms to answer.
TEST_F(CliRemoteReadWrite, ABoxSlowToAnswerIsWaitedForInRealTime) {
    serve({"--reply-delay", "100"}, 5); // 100 ms of the box's time, itself five times fast
    const QString out = m_dir.filePath("out.json");
    const CliRun r = cli(remote("read") + QStringList{out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(out));
}

} // namespace
