// Reader of X model files, text and binary, plain or compressed.
//
// Every file starts with a 16-byte header: "xof ", the version as four digits ("0302", "0303"),
// the encoding ("txt ", "bin ", or compressed "tzip", "bzip") and the size of floating-point
// values in bits ("0032" or "0064").
//
// Text: templates and data objects as written, "//" and "#" start comments, ',' and ';' separate
// values, strings are in double quotes (\\ and \" stand for a backslash and a quote), GUIDs in
// angle brackets, a reference is a name (and optionally a GUID) in braces.
//
// Binary: a stream of 16-bit tokens. Tokens carrying data are a name or a string (a 32-bit byte
// count, then the bytes), an integer (32 bits), a GUID (16 bytes), a list of integers (a 32-bit
// count, then 32-bit values) and a list of floats (a 32-bit count, then 32- or 64-bit values as
// the header says). The other tokens stand for the punctuation and keywords of the text form.
// The values of a data object are packed into lists without regard to member boundaries.
//
// Compressed: after the header, the 32-bit size of the whole uncompressed file (header
// included), then blocks of a 16-bit uncompressed size, a 16-bit compressed size, the signature
// "CK" and deflate data; each block may refer back to the output of the blocks before it.
//
// Objects of a template that neither the file nor the registered set declares are skipped with
// everything inside them. A reference to no object of the file, a reference that leads back into
// itself, a count larger than the data that follows, or a file that ends early is refused with an
// XFileError naming the line (text) or byte offset (binary).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

#include "platform/d3dx/x_file_format.h"

namespace d3dx {

// The standard templates of model files as X text: geometry, materials, frames and animation...
extern const std::string_view kXModelTemplates;
// ...and the skinning templates.
extern const std::string_view kXSkinTemplates;
// Both of the above.
const XTemplateSet& StandardXTemplates();
// The progressive-mesh and patch templates, which the files of skinned models may also carry.
extern const std::string_view kXProgressiveMeshTemplates;

// Adds the templates declared in an X file (data objects in it are ignored) to a set.
void RegisterXTemplates(std::span<const uint8_t> file, XTemplateSet& into);
void RegisterXTemplates(std::string_view file, XTemplateSet& into);

// Reads a whole file; the registered templates interpret objects that the file does not declare.
XFileDocument ReadXFile(std::span<const uint8_t> file,
                        const XTemplateSet& registered = StandardXTemplates());
XFileDocument ReadXFile(const std::filesystem::path& path,
                        const XTemplateSet& registered = StandardXTemplates());

}  // namespace d3dx
