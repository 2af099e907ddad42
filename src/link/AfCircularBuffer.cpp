#include "link/AfCircularBuffer.h"

#include <algorithm>
#include <cstring>

namespace lumo {

TAfCircularBuffer::TAfCircularBuffer(int size) : m_data(static_cast<size_t>(std::max(size, 0))) {}

int TAfCircularBuffer::Used() const {
    if (m_full)
        return Size();
    if (m_write >= m_read)
        return m_write - m_read;
    return m_write + Size() - m_read;
}

bool TAfCircularBuffer::Write(const char* data, int count) {
    if (count < 0 || count > Free())
        return false;
    if (count == 0)
        return true;
    const int first = std::min(count, Size() - m_write);
    std::memcpy(m_data.data() + m_write, data, static_cast<size_t>(first));
    if (count > first)
        std::memcpy(m_data.data(), data + first, static_cast<size_t>(count - first));
    m_write = (m_write + count) % Size();
    m_full = m_write == m_read;
    return true;
}

int TAfCircularBuffer::Peek(char* data, int count) const {
    const int n = std::clamp(count, 0, Used());
    const int first = std::min(n, Size() - m_read);
    std::memcpy(data, m_data.data() + m_read, static_cast<size_t>(first));
    if (n > first)
        std::memcpy(data + first, m_data.data(), static_cast<size_t>(n - first));
    return n;
}

int TAfCircularBuffer::ContiguousRun(const char** start) const {
    *start = m_data.data() + m_read;
    if (Used() == 0)
        return 0;
    if (m_full || m_write < m_read)
        return Size() - m_read;
    return m_write - m_read;
}

void TAfCircularBuffer::Remove(int count) {
    const int n = std::clamp(count, 0, Used());
    if (n == 0)
        return;
    m_read = (m_read + n) % Size();
    m_full = false;
}

void TAfCircularBuffer::Clear() {
    m_read = 0;
    m_write = 0;
    m_full = false;
}

} // namespace lumo
