#pragma once
// Shared fixtures of the transfer tests: a view and a data sink that record what the engine
// did, and an engine wired to a virtual unit over an in-memory link in virtual time.
#include "link/TransferEngine.h"
#include "platform/VirtualClock.h"
#include "sim/UnitLink.h"
#include "sim/VirtualUnit.h"
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace lumo::testing {

struct RecordingView : TransferView {
    int shows = 0;
    int closes = 0;
    std::vector<int> progress;
    std::vector<TransferIndicator> indicators;
    QStringList messages;
    void transferShown() override { ++shows; }
    void setProgress(int position) override { progress.push_back(position); }
    void setIndicator(TransferIndicator indicator) override { indicators.push_back(indicator); }
    void showMessage(const QString& text) override { messages << text; }
    void transferClosed() override { ++closes; }
    TransferIndicator lastIndicator() const { return indicators.back(); }
};

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
    void decodeStatus(const QByteArray& image, bool toSnapshot) override {
        status = image;
        statusToSnapshot = toSnapshot;
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

struct EngineRig {
    explicit EngineRig(TransferLink::Kind kind)
        : link(clock, unit, kind), engine(clock, data, view) {
        engine.setLink(&link);
    }
    // Runs one transfer to its end; returns the virtual milliseconds it took.
    qint64 run(TransferEngine::Request request) {
        bool closed = false;
        const qint64 start = clock.nowMs();
        EXPECT_TRUE(engine.start(request, [&closed] { closed = true; }));
        clock.runUntilIdle(600000);
        EXPECT_TRUE(closed);
        return clock.nowMs() - start;
    }
    VirtualClock clock;
    sim::VirtualUnit unit;
    sim::UnitLink link;
    RecordingView view;
    RecordingData data;
    TransferEngine engine;
};

} // namespace lumo::testing
