// Text dumps of a chunk tree: every chunk's header with, above detail 0, the decoded data of the
// kinds that have readable data, and a dump of each chunk's checksum. They write to the caller's
// stream; ReadDumpChunks3ds walks like a dump and writes nothing, leaving the dumped kinds' data
// read into their nodes.
#pragma once

#include <cstdint>
#include <cstdio>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/toolkit_types.h"

// 0: headers only; any other: also the data; exactly 2: also every array element and the names of
// the set node flags.
extern int32_t DumpDetail3ds;
void SetDumpDetail3ds(int32_t detail);

// Three blanks per level, 14 levels at the most.
const char* DumpIndent3ds(int32_t depth);
void DumpChunkHeader3ds(FILE* stream, const ChunkNode3ds* node, int32_t depth);
void DumpKeyHeader3ds(FILE* stream, const keyheader3ds& key, int32_t depth);
// Dumps the node and its children; stops as soon as an error is pending after a child.
void DumpChunk3ds(FILE* stream, ChunkNode3ds* node, int32_t depth);
void DumpDatabase3ds(FILE* stream, ChunkDatabase3ds* database);
// The node, its following siblings and all their descendants, each with its checksum.
void DumpChunkChecksums3ds(FILE* stream, ChunkNode3ds* node, int32_t depth);
void DumpDatabaseChecksums3ds(FILE* stream, ChunkDatabase3ds* database);
void ReadDumpChunks3ds(ChunkDatabase3ds* database);
