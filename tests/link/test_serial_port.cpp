// The serial port component over pseudo-terminals: opening and its errors, the write and read
// paths, the relay of events to this (the owner) thread, closing and a vanishing device.
#include "link/AfComPort.h"
#include "link/AfUtils.h"
#include "test_serial_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <sys/file.h>

namespace lumo {
namespace {

using testing::PtyPair;
using testing::waitFor;
using testing::waitUntil;

QString errorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const EAfError& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        port.SetName(QStringLiteral("AfComPort1"));
        port.SetComNumber(3);
        port.SetDevicePath(pty.slavePath());
        port.SetBaudRate(TAfBaudrate::br2400);
        port.SetDTR(false);
    }
    PtyPair pty;
    TAfComPort port;
};

TEST(SerialPortOpen, PortNumberZeroIsInvalid) {
    TAfComPort port;
    EXPECT_EQ(port.ComNumber(), 0);
    EXPECT_EQ(errorText([&] { port.PortOpen(); }), "Invalid port number (COM0)");
    EXPECT_FALSE(port.PortIsOpen());
}

TEST(SerialPortOpen, MissingDeviceIsInvalidPortNumber) {
    TAfComPort port;
    port.SetComNumber(7);
    port.SetDevicePath(QStringLiteral("/dev/lumo-no-such-port"));
    EXPECT_EQ(errorText([&] { port.PortOpen(); }), "Invalid port number (COM7)");
    EXPECT_FALSE(port.PortIsOpen());
}

TEST(SerialPortOpen, NotATerminalCannotBeOpened) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plain"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    TAfComPort port;
    port.SetComNumber(2);
    port.SetDevicePath(path);
    EXPECT_EQ(errorText([&] { port.PortOpen(); }), "Can't open device COM2");
}

TEST_F(SerialPortTest, DeviceHeldByAnotherHolderCannotBeOpened) {
    // Another open file description holding the advisory lock, as another process would.
    const int other = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(errorText([&] { port.PortOpen(); }), "Can't open device COM3");
    EXPECT_FALSE(port.PortIsOpen());
    ::close(other);
    port.PortOpen();
    EXPECT_TRUE(port.PortIsOpen());
}

TEST_F(SerialPortTest, SecondComponentOnTheSameDeviceIsRefused) {
    port.PortOpen();
    TAfComPort second;
    second.SetComNumber(4);
    second.SetDevicePath(pty.slavePath());
    EXPECT_EQ(errorText([&] { second.PortOpen(); }), "Can't open device COM4");
    port.PortClose();
    second.PortOpen();
    EXPECT_TRUE(second.PortIsOpen());
}

TEST_F(SerialPortTest, OpenAndCloseRaiseTheirEventsAndConfigureRawMode) {
    int opens = 0, closes = 0;
    port.OnPortOpen = [&](TAfCustomSerialPort*) { ++opens; };
    port.OnPortClose = [&](TAfCustomSerialPort*) { ++closes; };
    port.PortOpen();
    port.PortOpen(); // already open: nothing
    EXPECT_TRUE(port.PortIsOpen());
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(port.Core().DCB().baudRate, 2400u);
    EXPECT_EQ(port.Core().EventMask(), 0x1B9u);
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.master(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B2400);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    port.PortClose();
    EXPECT_FALSE(port.PortIsOpen());
    EXPECT_EQ(closes, 1);
}

TEST_F(SerialPortTest, LoopbackCarriesControlBytesUntouched) {
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    const QByteArray special("\x00\x03\x11\x13\x7f\xff\x0a\x0d", 8);
    port.PortOpen();

    port.WriteText(special + all);
    EXPECT_EQ(pty.read(special.size() + all.size()), special + all);

    QByteArray received;
    int lastCount = -1;
    port.OnDataRecived = [&](TAfCustomSerialPort* sender, int count) {
        EXPECT_EQ(sender, &port);
        lastCount = count;
        received += port.ReadAllWaiting();
    };
    pty.write(special + all);
    ASSERT_TRUE(waitUntil([&] { return received.size() >= special.size() + all.size(); }));
    EXPECT_EQ(received, special + all);
    EXPECT_GT(lastCount, 0);
}

TEST_F(SerialPortTest, DataReceivedRunsOnTheOwnerThreadWithTheWaitingCount) {
    std::vector<int> counts;
    Qt::HANDLE handlerThread = nullptr;
    port.OnDataRecived = [&](TAfCustomSerialPort*, int count) {
        handlerThread = QThread::currentThreadId();
        counts.push_back(count);
        // Take exactly the status-sized reply, as the transfer window does.
        if (count == 8) {
            char reply[8];
            port.ReadBuffer(reply, 8);
        }
    };
    port.PortOpen();
    pty.write(QByteArray("V\x03N\x01S\x00U\x10", 8));
    ASSERT_TRUE(waitUntil([&] { return !counts.empty() && counts.back() == 8; }));
    EXPECT_EQ(handlerThread, QThread::currentThreadId());
    EXPECT_EQ(port.BytesWaiting(), 0);
}

TEST_F(SerialPortTest, UnreadInputIsReportedAgainWithoutANewLineEvent) {
    // The first report is left unread: the event thread must come back with the waiting
    // count on its own (the idle wake-up), not only when new bytes arrive.
    std::vector<TAfCoreEvent> kinds;
    std::vector<int> counts;
    port.OnSyncEvent = [&](TAfCustomSerialPort*, TAfCoreEvent kind, quint32) {
        kinds.push_back(kind);
    };
    port.OnDataRecived = [&](TAfCustomSerialPort*, int count) {
        counts.push_back(count);
        if (counts.size() == 2)
            port.ReadAllWaiting();
    };
    port.PortOpen();
    pty.write("abc");
    ASSERT_TRUE(waitUntil([&] { return counts.size() >= 2; }));
    EXPECT_EQ(counts[0], 3);
    EXPECT_EQ(counts[1], 3);
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), TAfCoreEvent::ceNeedReadData), kinds.end());
}

TEST_F(SerialPortTest, NonSyncHandlerRunsOnTheEventThreadInsteadOfRelaying) {
    std::atomic<int> calls{0};
    std::atomic<bool> onOwnerThread{false};
    const Qt::HANDLE owner = QThread::currentThreadId();
    int relayed = 0;
    port.OnNonSyncEvent = [&](TAfCustomSerialPort*, TAfCoreEvent, quint32) {
        onOwnerThread = QThread::currentThreadId() == owner;
        ++calls;
    };
    port.OnDataRecived = [&](TAfCustomSerialPort*, int) { ++relayed; };
    port.PortOpen();
    pty.write("x");
    ASSERT_TRUE(waitUntil([&] { return calls.load() > 0; }));
    EXPECT_FALSE(onOwnerThread.load());
    EXPECT_EQ(relayed, 0);
}

TEST_F(SerialPortTest, WriteErrorsCarryTheExactTexts) {
    EXPECT_EQ(errorText([&] { port.WriteText(QByteArray(5, 'x')); }),
              "Write data error [requested: 5, free: 0] - AfComPort1 ");
    port.WriteText(QByteArray()); // empty text: nothing, even when closed

    // 2049 bytes at once never fit the default 2048-byte ring, however fast it drains.
    port.PortOpen();
    EXPECT_EQ(errorText([&] { port.WriteText(QByteArray(2049, 'a')); }),
              "Write data error [requested: 2049, free: 2048] - AfComPort1 ");
    port.WriteText(QByteArray(2048, 'b'));
    EXPECT_EQ(pty.read(2048), QByteArray(2048, 'b'));
    port.PortClose();
    EXPECT_EQ(errorText([&] { port.WriteBuffer("ab", 2); }),
              "Write data error [requested: 2, free: 0] - AfComPort1 ");
}

TEST_F(SerialPortTest, BufferSizesCannotChangeWhileOpen) {
    port.PortOpen();
    EXPECT_EQ(errorText([&] { port.SetInBufSize(8192); }), "Port is not closed - AfComPort1 ");
    EXPECT_EQ(errorText([&] { port.SetOutBufSize(16); }), "Port is not closed - AfComPort1 ");
    EXPECT_EQ(port.InBufSize(), 4096);
    port.PortClose();
    port.SetOutBufSize(16);
    port.PortOpen();
    EXPECT_EQ(errorText([&] { port.WriteText(QByteArray(17, 'z')); }),
              "Write data error [requested: 17, free: 16] - AfComPort1 ");
}

TEST_F(SerialPortTest, ReadBufferShortOfDataRaisesReadDataError) {
    port.PortOpen();
    char buffer[4];
    EXPECT_EQ(errorText([&] { port.ReadBuffer(buffer, 4); }), "Read data error - AfComPort1 ");
}

TEST_F(SerialPortTest, LinePropertiesApplyAtOnceWhenOpen) {
    port.PortOpen();
    port.SetBaudRate(TAfBaudrate::br9600);
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.master(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B9600);
    EXPECT_EQ(port.Core().DCB().baudRate, 9600u);

    // A rate outside the classic table goes through the kernel's arbitrary-rate call.
    port.SetBaudRate(TAfBaudrate::br14400);
    EXPECT_EQ(port.Core().DCB().baudRate, 14400u);

    // A pseudo-terminal has no modem lines: switching them is accepted and ignored.
    port.SetDTR(true);
    port.SetRTS(false);
    EXPECT_TRUE(port.PortIsOpen());

    // Four data bits cannot be set: the error passes on and the property keeps its value.
    EXPECT_EQ(errorText([&] { port.SetDatabits(TAfDatabits::db4); }),
              "Error setting parameters from DCB");
    EXPECT_EQ(port.Databits(), TAfDatabits::db8);
}

TEST(SerialPortDcb, PropertyTablesBuildTheDcb) {
    TAfComPort port;
    SerialDcb d = port.BuildDCB();
    EXPECT_EQ(d.baudRate, 115200u);
    EXPECT_EQ(d.byteSize, 8);
    EXPECT_EQ(d.flags, 0x1u | 0x10u | 0x1000u);

    port.SetBaudRate(TAfBaudrate::brUser);
    port.SetUserBaudRate(31250);
    port.SetDatabits(TAfDatabits::db5);
    port.SetParity(TAfParity::paSpace);
    port.SetStopbits(TAfStopbits::sbTwo);
    port.SetFlowControl(TAfFlowControl::fwRtsCts);
    port.SetOptions(coParityCheck | coStripNull);
    d = port.BuildDCB();
    EXPECT_EQ(d.baudRate, 31250u);
    EXPECT_EQ(d.byteSize, 5);
    EXPECT_EQ(d.parity, 4);
    EXPECT_EQ(d.stopBits, 2);
    // RTS handshake replaces RTS enable; DTR stays enabled.
    EXPECT_EQ(d.flags, 0x1u | 0x2004u | 0x2u | 0x800u | 0x10u);
    EXPECT_EQ(d.xonLim, 1024);
    EXPECT_EQ(d.xoffLim, 3072);

    port.SetFlowControl(TAfFlowControl::fwDtrDsr);
    EXPECT_EQ(port.BuildDCB().flags, 0x1u | 0x28u | 0x2u | 0x800u | 0x1000u);
    port.SetFlowControl(TAfFlowControl::fwXOnXOff);
    port.SetDTR(false);
    port.SetRTS(false);
    port.SetOptions(0);
    EXPECT_EQ(port.BuildDCB().flags, 0x1u | 0x300u);
}

TEST_F(SerialPortTest, NoHandlerRunsWhileThePortIsClosing) {
    int received = 0;
    int eventsDuringClose = 0;
    bool inClose = false;
    port.OnDataRecived = [&](TAfCustomSerialPort*, int) {
        ++received;
        if (inClose)
            ++eventsDuringClose;
    };
    port.OnPortClose = [&](TAfCustomSerialPort*) {
        inClose = true;
        // An event already handed over must not be delivered now.
        QCoreApplication::processEvents();
    };
    port.PortOpen();
    pty.write("12345");
    // Let the event thread hand the input over without running this thread's loop.
    ASSERT_TRUE(waitFor([&] { return port.BytesWaiting() >= 5; }));
    ASSERT_EQ(port.BytesWaiting(), 5);
    // The event for them is handed over and waits for this thread's loop: closing must drop it.
    ASSERT_TRUE(waitFor([&] { return port.EventPending(); }));
    port.PortClose();
    inClose = false;
    QCoreApplication::processEvents();
    EXPECT_EQ(eventsDuringClose, 0);
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(port.ReadAllWaiting().isEmpty());
}

TEST_F(SerialPortTest, HandlerMayClosePort) {
    int calls = 0;
    port.OnDataRecived = [&](TAfCustomSerialPort*, int) {
        ++calls;
        port.PortClose();
    };
    port.PortOpen();
    pty.write("z");
    ASSERT_TRUE(waitUntil([&] { return !port.PortIsOpen(); }));
    EXPECT_EQ(calls, 1);
    port.PortOpen(); // reopens cleanly after a close from inside a handler
    EXPECT_TRUE(port.PortIsOpen());
}

TEST_F(SerialPortTest, ChangingComNumberWhileOpenReopens) {
    int opens = 0, closes = 0;
    port.OnPortOpen = [&](TAfCustomSerialPort*) { ++opens; };
    port.OnPortClose = [&](TAfCustomSerialPort*) { ++closes; };
    port.PortOpen();
    port.SetComNumber(5);
    EXPECT_TRUE(port.PortIsOpen());
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(errorText([&] { port.SetComNumber(0); }), "Invalid port number (COM0)");
    EXPECT_FALSE(port.PortIsOpen());
}

TEST_F(SerialPortTest, VanishedDeviceClosesThePortAndTellsTheOwner) {
    QString lostMessage;
    int closes = 0;
    port.OnPortLost = [&](TAfCustomSerialPort*, const QString& message) { lostMessage = message; };
    port.OnPortClose = [&](TAfCustomSerialPort*) { ++closes; };
    port.PortOpen();
    pty.closeMaster();
    ASSERT_TRUE(waitUntil([&] { return !lostMessage.isEmpty(); }));
    EXPECT_FALSE(port.PortIsOpen());
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(lostMessage.contains(QStringLiteral("COM3")));
    EXPECT_EQ(errorText([&] { port.WriteText("x"); }),
              "Write data error [requested: 1, free: 0] - AfComPort1 ");
    port.PortClose(); // closing again is harmless
}

TEST_F(SerialPortTest, VanishedDeviceWithoutAnEventLoopStillClosesCleanly) {
    // Nobody runs this thread's loop: the event thread's hand-over is pending when the owner
    // closes, and closing must release it rather than hang.
    int lost = 0;
    port.OnPortLost = [&](TAfCustomSerialPort*, const QString&) { ++lost; };
    port.PortOpen();
    pty.closeMaster();
    ASSERT_TRUE(waitFor([&] { return port.Core().DeviceLost() && port.EventPending(); }));
    port.PortClose();
    EXPECT_FALSE(port.EventPending());
    EXPECT_FALSE(port.PortIsOpen());
    QCoreApplication::processEvents();
    EXPECT_EQ(lost, 0); // the dropped hand-over is not delivered late
}

TEST(SerialPortNames, WindowsNamesAndDevicePaths) {
    EXPECT_EQ(comPortWindowsName(9), "COM9");
    EXPECT_EQ(comPortWindowsName(12), "\\\\.\\COM12");
    EXPECT_EQ(comPortWindowsName(12, false), "COM12");

    QTemporaryDir dir;
    EXPECT_EQ(comPortDevicePath(1, dir.path()), "/dev/ttyS0");
    EXPECT_EQ(comPortDevicePath(12, dir.path()), "/dev/ttyS11");
    QFile ini(dir.filePath(QStringLiteral("config.INI")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Setup]\r\nCOM=3\r\n[Ports]\r\nCOM3=/dev/ttyUSB0\r\nCOM4=\r\n");
    ini.close();
    EXPECT_EQ(comPortDevicePath(3, dir.path()), "/dev/ttyUSB0");
    EXPECT_EQ(comPortDevicePath(4, dir.path()), "/dev/ttyS3");
}

} // namespace
} // namespace lumo
