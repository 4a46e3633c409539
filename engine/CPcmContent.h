#pragma once
#include "CTempFile.h"
#include <memory>
#include <vector>

// The sound a device holds: a sequence of byte ranges in temp files. Recording into the
// middle splices a range in instead of rewriting everything after it. Copies share the
// files, so a player can read a snapshot while the device goes on.
class CPcmContent {
public:
    struct Piece {
        std::shared_ptr<CTempFile> file;
        uint64_t offset;
        uint64_t length;
    };

    uint64_t Length() const;
    // Reads n bytes at offset, across pieces; false past the end or on a read error.
    bool Read(uint64_t offset, void* buffer, DWORD n) const;
    // Puts the piece at 'at' (0..Length), moving what followed after it.
    void Insert(uint64_t at, const Piece& piece);
    // Puts the piece at 'at', replacing the bytes it covers; may extend the content.
    void Overwrite(uint64_t at, const Piece& piece);
    void Clear() { m_pieces.clear(); }

private:
    // Splits so that a piece boundary falls at 'at'; returns the index of the piece there.
    size_t SplitAt(uint64_t at);
    void Erase(uint64_t from, uint64_t to);

    std::vector<Piece> m_pieces;
};
