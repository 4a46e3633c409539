#include "CPcmContent.h"
#include <algorithm>

uint64_t CPcmContent::Length() const
{
    uint64_t total = 0;
    for (const Piece& piece : m_pieces)
        total += piece.length;
    return total;
}

bool CPcmContent::Read(uint64_t offset, void* buffer, DWORD n) const
{
    BYTE* out = static_cast<BYTE*>(buffer);
    uint64_t start = 0;
    for (const Piece& piece : m_pieces) {
        if (n == 0)
            break;
        const uint64_t end = start + piece.length;
        if (offset < end) {
            const uint64_t within = offset - start;
            const DWORD part = static_cast<DWORD>(std::min<uint64_t>(n, piece.length - within));
            if (!piece.file->ReadAt(piece.offset + within, out, part))
                return false;
            out += part;
            offset += part;
            n -= part;
        }
        start = end;
    }
    return n == 0;
}

size_t CPcmContent::SplitAt(uint64_t at)
{
    uint64_t start = 0;
    for (size_t i = 0; i < m_pieces.size(); ++i) {
        if (at == start)
            return i;
        const uint64_t end = start + m_pieces[i].length;
        if (at < end) {
            Piece tail = m_pieces[i];
            const uint64_t head = at - start;
            m_pieces[i].length = head;
            tail.offset += head;
            tail.length -= head;
            m_pieces.insert(m_pieces.begin() + i + 1, tail);
            return i + 1;
        }
        start = end;
    }
    return m_pieces.size();
}

void CPcmContent::Erase(uint64_t from, uint64_t to)
{
    to = std::min(to, Length());
    if (from >= to)
        return;
    const size_t first = SplitAt(from);
    const size_t last = SplitAt(to);
    m_pieces.erase(m_pieces.begin() + first, m_pieces.begin() + last);
}

void CPcmContent::Insert(uint64_t at, const Piece& piece)
{
    if (piece.length == 0)
        return;
    const size_t index = SplitAt(std::min(at, Length()));
    m_pieces.insert(m_pieces.begin() + index, piece);
}

void CPcmContent::Overwrite(uint64_t at, const Piece& piece)
{
    Erase(at, at + piece.length);
    Insert(at, piece);
}
