// Writer of X model files in the text form (header "xof 0303txt 0032", or "0064" for documents of
// 64-bit floats): the document's declared templates, then its objects, members laid out by their
// templates with ';' after each member and ',' between array elements, the way exporters write
// them. Reading the output gives back the same document.
//
// A generator builds a document by hand: templates = StandardXTemplates() (plus any it declares
// in declaredTemplates), then objects whose numbers and strings list the template's members in
// order, arrays expanded; for a Mesh: nVertices, x, y, z per vertex, nFaces, then per face its
// corner count and corner indices.
#pragma once

#include <filesystem>
#include <string>

#include "platform/d3dx/x_file_format.h"

namespace d3dx {

// Throws XFileError when an object's template is unknown or its values do not fill the template
// exactly.
std::string WriteXText(const XFileDocument& document);
void WriteXTextFile(const XFileDocument& document, const std::filesystem::path& path);

}  // namespace d3dx
