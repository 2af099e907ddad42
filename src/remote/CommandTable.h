#pragma once
#include <QByteArray>
#include <array>

namespace lumo::remote {

// In a namespace of its own: the main window's command table of the shell is another thing.
//
// The paired commands and expected replies that the remote procedures walk step by step.
// Slot i of Commands is sent at step i; slot i of Replies is the reply that counts as success
// for it. A builder fills the table from slot 0; slots beyond what it writes keep their older
// contents and are never reached, because every sequence ends in an entry that is stored but
// not sent ("AT"/"OK21" for the connect and keep-alive sequences, "Kon"/"Kon" for the write
// groups). Texts are the box's 8-bit characters.
struct CommandTable {
    static constexpr int kSlots = 131;

    std::array<QByteArray, kSlots> Commands;
    std::array<QByteArray, kSlots> Replies;

    void set(int slot, const QByteArray& command, const QByteArray& reply) {
        Commands[static_cast<std::size_t>(slot)] = command;
        Replies[static_cast<std::size_t>(slot)] = reply;
    }
    const QByteArray& command(int slot) const { return Commands[static_cast<std::size_t>(slot)]; }
    const QByteArray& reply(int slot) const { return Replies[static_cast<std::size_t>(slot)]; }
};

} // namespace lumo::remote
