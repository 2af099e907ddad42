#pragma once
#include "platform/Messenger.h"
#include "remote/ConnectionEngine.h"
#include "remote/ConnectionView.h"
#include "remote/RemoteLink.h"
#include "texts/Texts.h"
#include <QStringList>
#include <functional>
#include <optional>

namespace lumo {

// What the connect dialog `TForm10` shows, as plain values.
struct ConnectDialogState {
    QStringList comboItems; // ComboBox1: serial numbers of the attached boxes
    QString comboText;
    bool comboEnabled = true;
    bool button2Enabled = true; // "Vyber"
    bool panel2Visible = false; // telephone number and password
    bool button3Visible = false;
    bool button4Visible = false; // "Připoj"
    bool button4Enabled = false;
    QString edit1; // telephone number, at most 16 characters
    QString edit2; // password, at most 4 digits
    ConnectStatusColour label3Colour = ConnectStatusColour::ButtonFace;
    QString label3Text;
    int progress = 0;       // ProgressBar1, 0..14
    QString label5;         // the current step
    QStringList memo;       // the trace of the exchange
    bool selecting = false; // the box is being opened (the 10 ms pauses)
};

// The remote menu's "Připojit" and the connect dialog `TForm10` without widgets: listing the
// boxes, preselecting the box used last time, selecting (opening) a box, the entry rules of
// the telephone number and the password, connecting and cancelling. The dialog window renders
// `state()` and forwards its events here; the CLI drives the same calls.
//
// It is the connection engine's view: the dialog's parts of it land in the state, the main
// window's parts (menus, indicator, the engine's state) go on to `window`, messages to the
// messenger.
class ConnectDialogModel : public ConnectionView {
public:
    static constexpr int kNumberLength = 16;
    static constexpr int kPasswordLength = 4;
    static constexpr int kProgressMax = 14;

    ConnectDialogModel(RemoteLink& link, const Texts& texts, Messenger& messenger);
    // The engine is made with this model as its view, then handed back here.
    void setEngine(ConnectionEngine* engine) { m_engine = engine; }
    ConnectionEngine* engine() const { return m_engine; }
    // Receives the main window's share of the engine's view (may be null).
    void setWindowView(ConnectionView* window) { m_window = window; }

    // Called whenever the state changed; `closeRequested` when the dialog is to close.
    void setChangedHandler(std::function<void()> handler) { m_changed = std::move(handler); }
    void setCloseHandler(std::function<void()> handler) { m_close = std::move(handler); }

    const ConnectDialogState& state() const { return m_state; }

    // `Connect1Click`, before the dialog shows: releases an open box and lists the attached
    // ones. False (with "Žádný Telvox není pripojen" shown) when none has a "KAV" serial.
    bool beginAttempt();
    // After the modal dialog closed: "Nebyl vybrán žádný Telvox" unless a box was selected.
    void endAttempt();

    // `FormShow`: `servicePassword` is the main window's Edit144.
    void FormShow(const QString& servicePassword);
    // `ComboBox1Change`: the index of the chosen item.
    void ComboBox1Change(int index);
    // `Button2Click`: opens the selected box (10 ms after opening and after the settings);
    // `done` runs when the dialog is ready for the number (or has been closed).
    void Button2Click(std::function<void()> done = {});
    // The edits' contents changed (`Edit1Change`, bound to both).
    void setEdit1(const QString& text);
    void setEdit2(const QString& text);
    // `Button4Click`: starts the connect sequence. `onResult` as for ConnectionEngine::connect.
    bool Button4Click(ConnectionEngine::ResultHandler onResult = {});
    // `Button1Click` (also `Button3`): the cancel action.
    void Button1Click(std::function<void()> done = {});

    // The entry rules: the character a typed key enters, nullopt when it is discarded.
    // Backspace is let through by the widgets themselves.
    static std::optional<QChar> Edit1Key(QChar key);
    static std::optional<QChar> Edit2Key(QChar key);
    // `Button4` may be enabled: a telephone number and a password of exactly four characters.
    static bool canConnect(const QString& number, const QString& password);

    // --- ConnectionView ---
    void stateChanged(ConnectionState state) override;
    void setStep(int step) override;
    void setProgress(int position) override;
    void setStatus(ConnectStatusColour colour, const QString* text) override;
    void setIndicator(KeepAliveColour colour) override;
    void trace(const QByteArray& line) override;
    void menusChanged(const RemoteMenuState& menus) override;
    void setConnectButtonEnabled(bool enabled) override;
    void closeDialog() override;
    void showMessage(const QString& text) override;

private:
    void changed();
    void clearSelection();
    QString remote(int key) const { return m_texts.get(TextSection::REMOTE, key); }
    QString n8Caption() const;

    RemoteLink& m_link;
    const Texts& m_texts;
    Messenger& m_messenger;
    ConnectionEngine* m_engine = nullptr;
    ConnectionView* m_window = nullptr;
    ConnectDialogState m_state;
    std::function<void()> m_changed;
    std::function<void()> m_close;
};

} // namespace lumo
