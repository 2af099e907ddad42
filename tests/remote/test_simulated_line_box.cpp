// `lumo --simulate`: the virtual line box sits next to the cable and dials the same unit, so
// what is written over the telephone line can be read on the bench. Runs in real time on the
// event loop (the simulation's clock), with generous safety limits only.
#include "link/FtdiApi.h"
#include "sim/Simulation.h"
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

namespace lumo::sim {
namespace {

void pump(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

QByteArray readFor(FT_HANDLE handle, int ms, int wanted = -1) {
    QByteArray got;
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired() && (wanted < 0 || got.size() < wanted)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        char buffer[256];
        quint32 n = 0;
        if (FT_Read(handle, buffer, sizeof buffer, &n) == FT_OK && n > 0)
            got.append(buffer, int(n));
        else
            QThread::msleep(2);
    }
    return got;
}

QByteArray exchange(FT_HANDLE box, const QByteArray& command, int waitMs = 100) {
    const QByteArray line = command + "\r\n";
    quint32 written = 0;
    EXPECT_EQ(FT_Write(box, line.constData(), quint32(line.size()), &written), FT_OK);
    return readFor(box, waitMs);
}

TEST(SimulatedLineBox, WritesOverTheLineReachTheBenchUnit) {
    QString error;
    ASSERT_TRUE(startSimulatedDevices(&error)) << error.toStdString();
    char serial[64], description[64];
    bool found = false;
    for (quintptr i = 0; !found; ++i) {
        if (FT_ListDevices(reinterpret_cast<void*>(i), description,
                           FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION) != FT_OK)
            break;
        FT_ListDevices(reinterpret_cast<void*>(i), serial,
                       FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER);
        found = QByteArray(description) == "Kavrostanel";
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(QByteArray(serial).left(3), "KAV");

    FT_HANDLE box = nullptr;
    ASSERT_EQ(FT_OpenEx(serial, FT_OPEN_BY_SERIAL_NUMBER, &box), FT_OK);
    EXPECT_EQ(exchange(box, "AT@RESET"), "RESET\r\n");
    EXPECT_EQ(exchange(box, "ATA"), "OK\r\n");
    EXPECT_EQ(exchange(box, "ATDE777"), "OK\r\n");
    EXPECT_EQ(exchange(box, "ATDEA"), "OK\r\n");
    EXPECT_EQ(exchange(box, "AT@RECE", 700), "OK\r\n");
    EXPECT_EQ(exchange(box, "AT@RECN"), "BOK\r\n");
    EXPECT_EQ(exchange(box, "ATDE#7850"), "OK\r\n");
    EXPECT_EQ(exchange(box, "ATDE2015"), "OK\r\n"); // NIGHT 1: "5"
    pump(1000);                                     // the line goes quiet: the unit stores it

    FT_HANDLE cable = nullptr;
    ASSERT_EQ(FT_OpenEx("Vexo-USB", FT_OPEN_BY_SERIAL_NUMBER, &cable), FT_OK);
    const char read[] = {'R', 'T', 64};
    quint32 written = 0;
    ASSERT_EQ(FT_Write(cable, read, 3, &written), FT_OK);
    const QByteArray memory = readFor(cable, 3000, 16);
    ASSERT_EQ(memory.size(), 16);
    EXPECT_EQ(memory.left(2), QByteArray("\x05\xFF", 2));
    FT_Close(cable);
    exchange(box, "ATH");
    FT_Close(box);
}

// LUMO_SIM_LINEBOX for one test, gone again however the test ends.
class BoxEnvironment {
public:
    ~BoxEnvironment() { qunsetenv("LUMO_SIM_LINEBOX"); }
    void set(const char* value) { qputenv("LUMO_SIM_LINEBOX", value); }
};

// The devices live as long as the process, so the tests of this binary share them: each call
// must take the environment as it is then, whichever test started the devices.
TEST(SimulatedLineBox, FaultsComeFromTheEnvironmentAndABadOneStopsTheStart) {
    BoxEnvironment environment;
    environment.set("--wake-after never --err-every");
    QString error;
    EXPECT_FALSE(startSimulatedDevices(&error));
    EXPECT_EQ(error, QStringLiteral("LUMO_SIM_LINEBOX: bad argument '--err-every'"));

    environment.set("--err-every 2");
    ASSERT_TRUE(startSimulatedDevices(&error)) << error.toStdString();
    FT_HANDLE box = nullptr;
    ASSERT_EQ(FT_OpenEx("KAV00001", FT_OPEN_BY_SERIAL_NUMBER, &box), FT_OK);
    EXPECT_EQ(exchange(box, "AT"), "OK\r\n");
    EXPECT_EQ(exchange(box, "AT"), "ERR\r\n");

    // Without faults again, the running box answers every command.
    environment.set("");
    ASSERT_TRUE(startSimulatedDevices(&error)) << error.toStdString();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(exchange(box, "AT"), "OK\r\n") << i;
    FT_Close(box);
}

} // namespace
} // namespace lumo::sim
