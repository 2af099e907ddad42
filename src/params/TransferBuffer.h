#pragma once
#include <QByteArray>
#include <array>

namespace lumo {

// The 128 integer slots (1..128) that the encoders fill and the senders transmit, each as the
// low byte of its value. Slots keep their values between encodings; an encoder overwrites only
// the slots it assigns.
class TransferBuffer {
public:
    TransferBuffer() { m_slots.fill(0); }
    int& operator[](int slot) { return m_slots.at(slot); }
    int operator[](int slot) const { return m_slots.at(slot); }
    // The byte a sender puts on the wire for a slot.
    char byteAt(int slot) const { return static_cast<char>(m_slots.at(slot) & 0xFF); }

private:
    std::array<int, 129> m_slots; // index 0 unused
};

} // namespace lumo
