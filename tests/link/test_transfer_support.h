#pragma once
// Shared fixtures of the transfer tests: a view and a data sink that record what the engine
// did (every state change included), a link the test drives by hand, and an engine wired to a
// virtual unit over an in-memory link in virtual time.
#include "link/TransferEngine.h"
#include "platform/VirtualClock.h"
#include "sim/UnitLink.h"
#include "sim/VirtualUnit.h"
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>
#include <utility>
#include <vector>

namespace lumo {

inline const char* stateName(TransferState state) {
    switch (state) {
    case TransferState::Closed:
        return "Closed";
    case TransferState::Opening:
        return "Opening";
    case TransferState::Waiting:
        return "Waiting";
    case TransferState::NextStep:
        return "NextStep";
    case TransferState::Retrying:
        return "Retrying";
    case TransferState::Stopped:
        return "Stopped";
    case TransferState::OpenFailed:
        return "OpenFailed";
    case TransferState::Closing:
        return "Closing";
    case TransferState::Done:
        return "Done";
    case TransferState::Failed:
        return "Failed";
    case TransferState::Aborted:
        return "Aborted";
    }
    return "?";
}
inline void PrintTo(TransferState state, std::ostream* os) {
    *os << stateName(state);
}

} // namespace lumo

namespace lumo::testing {

using Trace = std::vector<TransferState>;

struct RecordingView : TransferView {
    int shows = 0;
    int closes = 0;
    Trace trace; // every state entered, in order
    std::vector<int> progress;
    std::vector<TransferIndicator> indicators;
    QStringList messages;
    void stateChanged(TransferState from, TransferState to) override {
        // The changes form one chain: each starts where the last one ended.
        EXPECT_EQ(from, trace.empty() ? TransferState::Closed : trace.back());
        EXPECT_NE(from, to);
        trace.push_back(to);
    }
    void transferShown() override { ++shows; }
    void setProgress(int position) override { progress.push_back(position); }
    void setIndicator(TransferIndicator indicator) override { indicators.push_back(indicator); }
    void showMessage(const QString& text) override { messages << text; }
    void transferClosed() override { ++closes; }
    TransferIndicator lastIndicator() const { return indicators.back(); }
};

// Builds expected traces: Trace{...} + repeat({NextStep, Waiting}, 127) + ...
inline Trace repeat(const Trace& part, int times) {
    Trace out;
    for (int i = 0; i < times; ++i)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}
inline Trace operator+(Trace a, const Trace& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Decodes nothing: keeps the images it was given and serves a settings image and number
// memories of its own for writes.
struct RecordingData : TransferData {
    QByteArray status;
    bool statusToSnapshot = false;
    QByteArray settings;
    std::vector<std::pair<int, QByteArray>> numbers;
    int settingsEncodes = 0;
    QByteArray settingsImage = QByteArray(128, char(7)); // slots 1..127 = [1..127]
    int encodedMemory = -1;
    void decodeStatus(const QByteArray& image, UnitSnapshot* snapshot) override {
        status = image;
        statusToSnapshot = snapshot != nullptr;
        if (snapshot && image.size() >= 8)
            snapshot->counter = QString::number(uchar(image[7]));
    }
    void decodeSettings(const QByteArray& image) override { settings = image; }
    void decodeNumberMemory(const QByteArray& image, int memory) override {
        numbers.emplace_back(memory, image);
    }
    void encodeSettings() override { ++settingsEncodes; }
    void encodeNumberMemory(int memory) override { encodedMemory = memory; }
    char bufferByte(int slot) const override {
        if (encodedMemory >= 0 && slot <= 16 && settingsEncodes == 0)
            return char((encodedMemory + slot) % 10 + 1);
        return settingsImage[slot];
    }
};

// A link the test drives by hand: it records what the host sent, holds what the test puts in
// its input and refuses writes when told to.
struct HandLink : TransferLink {
    explicit HandLink(Kind kind) : linkKind(kind) {}
    Kind kind() const override { return linkKind; }
    bool isOpen() const override { return portOpen; }
    bool open(QString*) override {
        if (openFails)
            return false;
        portOpen = true;
        device = true;
        return true;
    }
    void close() override {
        portOpen = false;
        if (linkKind == Kind::Usb)
            device = false;
        ++closes;
    }
    bool hasDevice() const override { return device; }
    int bytesWaiting() override { return int(input.size()); }
    QByteArray readAll() override { return std::exchange(input, QByteArray()); }
    bool writeByte(char byte) override {
        if (refuseWrites) {
            writeOk = false;
            return false;
        }
        sent += byte;
        return true;
    }
    bool lastWriteOk() const override { return writeOk; }
    bool deviceLost() const override { return lost; }
    void setDataHandler(DataHandler h) override { handler = std::move(h); }
    // Bytes from the unit; the serial port reports them at once.
    void arrive(const QByteArray& bytes) {
        input += bytes;
        if (linkKind == Kind::Serial && handler)
            handler(int(input.size()));
    }

    Kind linkKind;
    bool portOpen = true;
    bool device = true;
    bool openFails = false;
    bool refuseWrites = false;
    bool writeOk = true;
    bool lost = false;
    int closes = 0;
    QByteArray input;
    QByteArray sent;
    DataHandler handler;
};

struct EngineRig {
    explicit EngineRig(TransferLink::Kind kind)
        : link(clock, unit, kind), engine(clock, data, view) {
        engine.setLink(&link);
    }
    // Runs one transfer to its end and returns its result; `took` is the virtual time it took.
    TransferResult run(TransferRequest request) {
        std::optional<TransferResult> result;
        const qint64 start = clock.nowMs();
        EXPECT_NE(engine.start(request, [&result](const TransferResult& r) { result = r; }),
                  TransferState::Closed);
        clock.runUntilIdle(600000);
        took = clock.nowMs() - start;
        EXPECT_TRUE(result.has_value());
        return result.value_or(TransferResult{});
    }
    VirtualClock clock;
    sim::VirtualUnit unit;
    sim::UnitLink link;
    RecordingView view;
    RecordingData data;
    TransferEngine engine;
    qint64 took = 0;
};

} // namespace lumo::testing
