#pragma once
#include <QtGlobal>
#include <vector>

namespace lumo {

// Byte ring buffer of the serial port's write thread. Storage is allocated once (per open of
// the port); `Write` appends whole blocks only, the write thread takes the contiguous readable
// run and removes it once the run has gone out. Not synchronised: the port's output lock
// guards it.
class TAfCircularBuffer {
public:
    explicit TAfCircularBuffer(int size);

    int Size() const { return static_cast<int>(m_data.size()); }
    int Used() const;
    int Free() const { return Size() - Used(); }
    bool IsEmpty() const { return Used() == 0; }

    // Appends `count` bytes; false (and nothing stored) when they do not fit.
    bool Write(const char* data, int count);
    // Copies up to `count` bytes from the front without removing them; returns the number.
    int Peek(char* data, int count) const;
    // The run readable in one piece: from the read position to the write position, or to the
    // end of the storage when the data wraps or the buffer is full. Returns its length.
    int ContiguousRun(const char** start) const;
    // Drops `count` bytes from the front (at most what is used).
    void Remove(int count);
    void Clear();

private:
    std::vector<char> m_data;
    int m_read = 0;
    int m_write = 0;
    bool m_full = false;
};

} // namespace lumo
