// The in-memory copy of a 3DS file's chunk tree.
//
// A 3DS file is one root chunk. Every chunk is a 6-byte header (tag word, length double word that
// counts the header, the chunk's own data and all its sub-chunks), then its own data, then its
// sub-chunks one after another. Building the tree reads only the headers and steps over each
// chunk's own data (whose size depends on the tag); a node's data is decoded from its file the
// first time it is asked for (ReadChunkData3ds), which is why a node remembers its file's slot.
#pragma once

#include <cstdint>

#include "library/toolkit3ds/chunk_data.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/file_table.h"

// Deeper nesting than any 3DS writer produces; a file that goes further is refused.
inline constexpr int kMaxChunkDepth3ds = 64;
inline constexpr uint32_t kChunkHeaderSize3ds = 6;  // bytes

struct ChunkNode3ds {
  int32_t tag = 0;
  uint32_t length = 0;    // bytes, as in the header
  uint32_t position = 0;  // file offset of the header
  ChunkData3ds data;      // none: no data, or not read yet
  ChunkNode3ds* next = nullptr;
  ChunkNode3ds* children = nullptr;
  uint8_t fileIndex = kNoFileIndex3ds;   // slot of the file the data is still to be read from
  uint8_t writeIndex = kNoFileIndex3ds;  // slot of the file the node was last written to
};

// Nodes and trees.
void NewChunk3ds(ChunkNode3ds** out);
void NewChunkWithTag3ds(ChunkNode3ds** out, uint16_t tag);
void NewChunkWithData3ds(ChunkNode3ds** out, uint16_t tag);
// Frees the node, its subtree and every sibling that follows it, and sets *out to none.
void DeleteChunk3ds(ChunkNode3ds** out);
// The same for a chain of siblings from *out (a node's children, say).
void DeleteChunkChain3ds(ChunkNode3ds** out);
void ClearChunk3ds(ChunkNode3ds* node);
// Depth-first, the node itself first.
void FindChunk3ds(ChunkNode3ds* node, uint16_t tag, ChunkNode3ds** out);
// The node itself or the first of its following siblings with the tag.
void FindNextChunk3ds(ChunkNode3ds* node, uint16_t tag, ChunkNode3ds** out);
// The first child of parent with the tag; none when parent is none.
ChunkNode3ds* FindChildChunk3ds(ChunkNode3ds* parent, uint16_t tag);
// A copy of the first XDATA_SECTION in node's subtree, or none: kept across a rewrite of the node.
ChunkNode3ds* CopyFirstXData3ds(ChunkNode3ds* node);
void AddChildChunk3ds(ChunkNode3ds* parent, ChunkNode3ds* child);
// Appends a new child with the tag and data after parent's other children.
void AddDataChunk3ds(ChunkNode3ds* parent, uint16_t tag, ChunkData3ds data);
// Keeps children in descending chunk order: after all of equal or higher rank.
void InsertChildChunk3ds(ChunkNode3ds* parent, ChunkNode3ds* child);
// The parent's child with the tag, emptied, or a new one inserted by chunk order.
void PutChunk3ds(ChunkNode3ds* parent, uint16_t tag, ChunkNode3ds** out);
// Copies a subtree. Data still readable from a file moves to the copy (the source reads it again
// when asked); data that lives only in memory is duplicated.
void CopyChunk3ds(ChunkNode3ds* source, ChunkNode3ds** out);
int GetChunkOrder3ds(uint16_t tag);
// The sum, as 16-bit little-endian words, of the chunk's bytes in its file (header and sub-chunks
// included; an odd last byte counts as a word of its own); 0 for a chunk that lives in memory only.
uint32_t ChunkChecksum3ds(ChunkNode3ds* node);

// Chunk data.
ChunkData3ds* InitChunkData3ds(ChunkNode3ds* node);
// The node's data, read from its file first when needed; none for a chunk without data.
ChunkData3ds* ReadChunkData3ds(ChunkNode3ds* node);
void WriteChunkData3ds(ChunkNode3ds* node);
void CopyChunkData3ds(const ChunkNode3ds* source, ChunkNode3ds* destination);
void FreeChunkData3ds(ChunkNode3ds* node);
// Frees the data only when it can be read from the node's file again.
void FreeReadableChunkData3ds(ChunkNode3ds* node);
// With the current file just after the node's header: steps over the node's own data.
void SkipChunkData3ds(ChunkNode3ds* node);

// Reads the headers of every chunk under parent from parent's file, at most to the given depth.
void ReadChildChunks3ds(ChunkNode3ds* parent, int depth);
// Writes a subtree to the file of slot index, fixing each chunk's length to what was written.
void WriteChunk3ds(ChunkNode3ds* node, uint8_t index);

// The node's data as a record of kind T, read first when needed; none when there is no node or it
// holds another kind.
template <typename T>
T* ChunkDataAs3ds(ChunkNode3ds* node) {
  ChunkData3ds* data = node != nullptr ? ReadChunkData3ds(node) : nullptr;
  return data != nullptr ? std::get_if<T>(data) : nullptr;
}

// The node's data as a record of kind T for changing it: read first when needed, made a fresh T
// when it holds none, and from then on kept in memory rather than read again from the file.
template <typename T>
T* EditChunkData3ds(ChunkNode3ds* node) {
  if (ReadChunkData3ds(node) == nullptr && ErrorsPending3ds()) return nullptr;
  if (!std::holds_alternative<T>(node->data)) node->data = T{};
  node->fileIndex = kNoFileIndex3ds;
  return &std::get<T>(node->data);
}
