#include "library/toolkit3ds/mesh_objects.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"

namespace {

constexpr size_t kObjectFlagCount = 7;
// The object's flag chunks in the order they are written, with the record field each sets.
constexpr struct {
  uint16_t tag;
  uint8_t Mesh3ds::*field;
} kObjectFlags[kObjectFlagCount] = {
    {OBJ_HIDDEN, &Mesh3ds::ishidden}, {OBJ_VIS_LOFTER, &Mesh3ds::isvislofter},
    {OBJ_MATTE, &Mesh3ds::ismatte},   {OBJ_DOESNT_CAST, &Mesh3ds::isnocast},
    {OBJ_FAST, &Mesh3ds::isfast},     {OBJ_DONT_RCVSHADOW, &Mesh3ds::isnorcvshad},
    {OBJ_FROZEN, &Mesh3ds::isfrozen},
};

bool TextEquals(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// Sizes an array to count, keeping its contents and filling new entries with fill.
template <typename T>
void SizeArray(std::vector<T>* array, uint16_t count, const T& fill = T{}) {
  if (count == 0) {
    array->clear();
    array->shrink_to_fit();
  } else {
    array->resize(count, fill);
  }
}

void TakeFaceArray(ChunkNode3ds* faceNode, FaceArrayData3ds* faces, Mesh3ds* mesh) {
  mesh->nfaces = static_cast<uint16_t>(faces->faces.size());
  mesh->facearray = std::move(faces->faces);
  uint16_t groups = 0;
  for (ChunkNode3ds* child = faceNode->children; child != nullptr; child = child->next) {
    if (child->tag == MSH_MAT_GROUP && groups < std::numeric_limits<uint16_t>::max()) ++groups;
  }
  mesh->nmats = groups;
  mesh->matarray.assign(groups, objmat3ds{});
  size_t group = 0;
  for (ChunkNode3ds* child = faceNode->children; child != nullptr && group < groups;
       child = child->next) {
    if (child->tag != MSH_MAT_GROUP) continue;
    auto* data = ChunkDataAs3ds<MaterialGroupData3ds>(child);
    if (ErrorsPending3ds()) return;
    objmat3ds& entry = mesh->matarray[group++];
    if (data == nullptr) continue;
    CopyName3ds(entry.name, sizeof(entry.name), data->materialName);
    entry.nfaces = static_cast<uint16_t>(data->faces.size());
    entry.faceindex = std::move(data->faces);
  }
  if (ChunkNode3ds* smoothing = FindChildChunk3ds(faceNode, SMOOTH_GROUP)) {
    if (auto* data = ChunkDataAs3ds<SmoothGroupData3ds>(smoothing)) {
      // The record holds one mask per face, whatever count the chunk's length gave.
      mesh->smootharray = std::move(data->masks);
      mesh->smootharray.resize(mesh->nfaces, 0);
    }
  }
  if (ChunkNode3ds* boxmapNode = FindChildChunk3ds(faceNode, MSH_BOXMAP)) {
    if (const auto* data = ChunkDataAs3ds<BoxMapData3ds>(boxmapNode)) {
      for (size_t side = 0; side < data->materials.size(); ++side) {
        CopyName3ds(mesh->boxmap[side], kMaterialNameSize3ds, data->materials[side]);
      }
      mesh->useboxmap = 1;
    }
  }
}

void TakeTriObjectChild(ChunkNode3ds* child, Mesh3ds* mesh) {
  ChunkData3ds* data = ReadChunkData3ds(child);
  if (data == nullptr) return;
  if (auto* points = std::get_if<PointArrayData3ds>(data)) {
    mesh->nvertices = static_cast<uint16_t>(points->points.size());
    mesh->vertexarray = std::move(points->points);
  } else if (auto* flags = std::get_if<PointFlagArrayData3ds>(data)) {
    mesh->nvflags = static_cast<uint16_t>(flags->flags.size());
    mesh->vflagarray = std::move(flags->flags);
  } else if (auto* faces = std::get_if<FaceArrayData3ds>(data)) {
    TakeFaceArray(child, faces, mesh);
  } else if (auto* texVerts = std::get_if<TexVertsData3ds>(data)) {
    mesh->ntextverts = static_cast<uint16_t>(texVerts->vertices.size());
    mesh->textarray = std::move(texVerts->vertices);
  } else if (auto* matrix = std::get_if<MeshMatrixData3ds>(data)) {
    mesh->locmatrix = matrix->matrix;
  } else if (auto* color = std::get_if<ByteData3ds>(data);
             color != nullptr && child->tag == MESH_COLOR) {
    mesh->meshcolor = color->value;
  } else if (auto* info = std::get_if<MeshTextureInfoData3ds>(data)) {
    mesh->usemapinfo = 1;
    mesh->m_map = {static_cast<int16_t>(info->mapType),
                   info->tileX,
                   info->tileY,
                   info->iconPosition.x,
                   info->iconPosition.y,
                   info->iconPosition.z,
                   info->scale,
                   info->matrix,
                   info->planarWidth,
                   info->planarHeight,
                   info->cylinderHeight};
  } else if (auto* procName = std::get_if<NameData3ds>(data);
             procName != nullptr && child->tag == PROC_NAME) {
    CopyName3ds(mesh->procname, sizeof(mesh->procname), procName->name);
  } else if (auto* procData = std::get_if<RawData3ds>(data);
             procData != nullptr && child->tag == PROC_DATA) {
    mesh->procsize = static_cast<uint32_t>(procData->bytes.size());
    mesh->procdata = std::move(procData->bytes);
  }
}

template <typename T>
std::vector<T> FirstEntries(const std::vector<T>& array, size_t count) {
  return std::vector<T>(array.begin(), array.begin() + static_cast<std::ptrdiff_t>(count));
}

// Every count of the record must be covered by its array.
bool MeshArraysCoverCounts(const Mesh3ds& mesh) {
  if (mesh.vertexarray.size() < mesh.nvertices || mesh.vflagarray.size() < mesh.nvflags ||
      mesh.textarray.size() < mesh.ntextverts || mesh.facearray.size() < mesh.nfaces ||
      mesh.matarray.size() < mesh.nmats || mesh.procdata.size() < mesh.procsize) {
    return false;
  }
  if (!mesh.smootharray.empty() && mesh.smootharray.size() < mesh.nfaces) return false;
  for (size_t group = 0; group < mesh.nmats; ++group) {
    if (mesh.matarray[group].faceindex.size() < mesh.matarray[group].nfaces) return false;
  }
  return true;
}

void AddFaceArray(ChunkNode3ds* triObject, const Mesh3ds& mesh) {
  ChunkNode3ds* faceNode = nullptr;
  NewChunkWithTag3ds(&faceNode, FACE_ARRAY);
  if (ErrorsPending3ds()) return;
  faceNode->data = FaceArrayData3ds{FirstEntries(mesh.facearray, mesh.nfaces)};
  AddChildChunk3ds(triObject, faceNode);
  for (size_t group = 0; group < mesh.nmats && !ErrorsPending3ds(); ++group) {
    const objmat3ds& entry = mesh.matarray[group];
    AddDataChunk3ds(faceNode, MSH_MAT_GROUP,
                    MaterialGroupData3ds{entry.name, FirstEntries(entry.faceindex, entry.nfaces)});
  }
  if (!mesh.smootharray.empty()) {
    AddDataChunk3ds(faceNode, SMOOTH_GROUP,
                    SmoothGroupData3ds{FirstEntries(mesh.smootharray, mesh.nfaces)});
  }
  if (mesh.useboxmap) {
    BoxMapData3ds boxmap;
    for (size_t side = 0; side < boxmap.materials.size(); ++side)
      boxmap.materials[side] = mesh.boxmap[side];
    AddDataChunk3ds(faceNode, MSH_BOXMAP, std::move(boxmap));
  }
}

void AddTriObject(ChunkNode3ds* object, const Mesh3ds& mesh) {
  ChunkNode3ds* triObject = nullptr;
  NewChunkWithTag3ds(&triObject, N_TRI_OBJECT);
  if (ErrorsPending3ds()) return;
  AddChildChunk3ds(object, triObject);
  if (mesh.nvertices > 0) {
    AddDataChunk3ds(triObject, POINT_ARRAY,
                    PointArrayData3ds{FirstEntries(mesh.vertexarray, mesh.nvertices)});
  }
  if (mesh.ntextverts > 0) {
    AddDataChunk3ds(triObject, TEX_VERTS,
                    TexVertsData3ds{FirstEntries(mesh.textarray, mesh.ntextverts)});
  }
  if (mesh.usemapinfo) {
    const MeshMapInfo3ds& map = mesh.m_map;
    AddDataChunk3ds(triObject, MESH_TEXTURE_INFO,
                    MeshTextureInfoData3ds{static_cast<uint16_t>(map.maptype),
                                           map.tilex,
                                           map.tiley,
                                           {map.cenx, map.ceny, map.cenz},
                                           map.scale,
                                           map.matrix,
                                           map.pw,
                                           map.ph,
                                           map.ch});
  }
  if (mesh.nvflags > 0) {
    AddDataChunk3ds(triObject, POINT_FLAG_ARRAY,
                    PointFlagArrayData3ds{FirstEntries(mesh.vflagarray, mesh.nvflags)});
  }
  AddDataChunk3ds(triObject, MESH_MATRIX, MeshMatrixData3ds{mesh.locmatrix});
  AddDataChunk3ds(triObject, MESH_COLOR, ByteData3ds{mesh.meshcolor});
  if (mesh.nfaces > 0) AddFaceArray(triObject, mesh);
  if (mesh.procsize > 0) {
    AddDataChunk3ds(triObject, PROC_NAME, NameData3ds{mesh.procname});
    AddDataChunk3ds(triObject, PROC_DATA, RawData3ds{FirstEntries(mesh.procdata, mesh.procsize)});
  }
}

}  // namespace

bool objmat3ds::operator==(const objmat3ds& other) const {
  return TextEquals(name, other.name) && nfaces == other.nfaces && faceindex == other.faceindex;
}

bool Mesh3ds::operator==(const Mesh3ds& other) const {
  for (size_t side = 0; side < 6; ++side) {
    if (!TextEquals(boxmap[side], other.boxmap[side])) return false;
  }
  return TextEquals(name, other.name) && ishidden == other.ishidden &&
         isvislofter == other.isvislofter && ismatte == other.ismatte &&
         isnocast == other.isnocast && isfast == other.isfast && isnorcvshad == other.isnorcvshad &&
         isfrozen == other.isfrozen && nvertices == other.nvertices &&
         vertexarray == other.vertexarray && nvflags == other.nvflags &&
         vflagarray == other.vflagarray && ntextverts == other.ntextverts &&
         textarray == other.textarray && usemapinfo == other.usemapinfo && m_map == other.m_map &&
         locmatrix == other.locmatrix && nfaces == other.nfaces && facearray == other.facearray &&
         smootharray == other.smootharray && useboxmap == other.useboxmap &&
         meshcolor == other.meshcolor && nmats == other.nmats && matarray == other.matarray &&
         isproc == other.isproc && procsize == other.procsize &&
         TextEquals(procname, other.procname) && procdata == other.procdata;
}

void InitMeshObj3ds(Mesh3ds** out, uint16_t nvertices, uint16_t nfaces, uint32_t flags) {
  if (!ReuseOrAllocate3ds(out)) return;
  Mesh3ds* mesh = *out;
  *mesh = Mesh3ds{};
  mesh->m_map.matrix[0] = 1.0f;
  mesh->m_map.matrix[4] = 1.0f;
  mesh->nvertices = nvertices;
  mesh->nfaces = nfaces;
  uint32_t arrays = kMeshVertices3ds | kMeshFaces3ds;
  if (flags & kMeshTextureVertices3ds) {
    mesh->ntextverts = nvertices;
    arrays |= kMeshTextureVertices3ds;
  }
  if (flags & kMeshVertexFlags3ds) {
    mesh->nvflags = nvertices;
    arrays |= kMeshVertexFlags3ds;
  }
  if (flags & kMeshSmoothing3ds) arrays |= kMeshSmoothing3ds;
  InitMeshArrays3ds(mesh, arrays);
}

void InitMeshArrays3ds(Mesh3ds* mesh, uint32_t arrays) {
  if (mesh == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (arrays & kMeshVertices3ds) SizeArray(&mesh->vertexarray, mesh->nvertices);
  if (arrays & kMeshTextureVertices3ds) SizeArray(&mesh->textarray, mesh->ntextverts);
  if (arrays & kMeshFaces3ds) SizeArray(&mesh->facearray, mesh->nfaces, face3ds{0, 1, 2, 0});
  if (arrays & kMeshMaterialGroups3ds) SizeArray(&mesh->matarray, mesh->nmats);
  if (arrays & kMeshSmoothing3ds) SizeArray(&mesh->smootharray, mesh->nfaces);
  if (arrays & kMeshVertexFlags3ds) SizeArray(&mesh->vflagarray, mesh->nvflags);
}

void FreeMeshArrays3ds(Mesh3ds* mesh, uint32_t arrays) {
  if (mesh == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (arrays & kMeshVertices3ds) mesh->vertexarray = {};
  if (arrays & kMeshTextureVertices3ds) mesh->textarray = {};
  if (arrays & kMeshFaces3ds) mesh->facearray = {};
  if (arrays & kMeshMaterialGroups3ds) mesh->matarray = {};
  if (arrays & kMeshSmoothing3ds) mesh->smootharray = {};
  if (arrays & kMeshProcedureData3ds) mesh->procdata = {};
  if (arrays & kMeshVertexFlags3ds) mesh->vflagarray = {};
}

void InitMatArrayIndex3ds(Mesh3ds* mesh, uint16_t group, uint16_t count) {
  if (mesh == nullptr || count == 0) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (mesh->nfaces == 0 || group >= mesh->nmats || group >= mesh->matarray.size()) {
    PushError3ds(ERR_INVALID_DATA);
    return;
  }
  objmat3ds& entry = mesh->matarray[group];
  entry.nfaces = count;
  entry.faceindex.assign(count, 0);
}

void ReleaseMeshObj3ds(Mesh3ds** out) {
  if (out == nullptr) return;
  delete *out;
  *out = nullptr;
}

int32_t GetMeshCount3ds(ChunkDatabase3ds* database) {
  if (!CheckDatabase3ds(database, false)) return 0;
  return static_cast<int32_t>(ListNamedObjects3ds(database, N_TRI_OBJECT).size());
}

void GetMeshNames3ds(ChunkDatabase3ds* database, NameArray3ds* out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, false)) return;
  InitNameArray3ds(&out);
  for (const NameIndexEntry3ds& entry : ListNamedObjects3ds(database, N_TRI_OBJECT))
    AddToNameArray3ds(out, entry.name.c_str());
}

void GetMeshByIndex3ds(ChunkDatabase3ds* database, int32_t index, Mesh3ds** out) {
  if (out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, false)) return;
  if (ChunkNode3ds* object = FindNamedObjectByIndex3ds(database, N_TRI_OBJECT, index))
    ReadMesh3ds(object, out);
}

void GetMeshByName3ds(ChunkDatabase3ds* database, const char* name, Mesh3ds** out) {
  if (out == nullptr || name == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, false)) return;
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, name, &object);
  if (FindChildChunk3ds(object, N_TRI_OBJECT) != nullptr) ReadMesh3ds(object, out);
}

void ReadMesh3ds(ChunkNode3ds* object, Mesh3ds** out) {
  if (object == nullptr || out == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (FindChildChunk3ds(object, N_TRI_OBJECT) == nullptr) {
    PushError3ds(ERR_WRONG_OBJECT);
    return;
  }
  InitMeshObj3ds(out, 0, 0, 0);
  if (ErrorsPending3ds()) return;
  Mesh3ds* mesh = *out;
  ChunkNode3ds* copy = nullptr;
  CopyChunk3ds(object, &copy);
  if (ErrorsPending3ds()) {
    DeleteChunk3ds(&copy);
    return;
  }
  if (const auto* name = ChunkDataAs3ds<NameData3ds>(copy)) {
    CopyName3ds(mesh->name, sizeof(mesh->name), name->name);
  }
  ChunkNode3ds* triObject = FindChildChunk3ds(copy, N_TRI_OBJECT);
  for (ChunkNode3ds* child = triObject->children; child != nullptr && !ErrorsPending3ds();
       child = child->next) {
    TakeTriObjectChild(child, mesh);
  }
  for (const auto& flag : kObjectFlags)
    mesh->*flag.field = FindChildChunk3ds(copy, flag.tag) != nullptr;
  mesh->isproc = FindChildChunk3ds(copy, OBJ_PROCEDURAL) != nullptr;
  DeleteChunk3ds(&copy);
}

void PutMesh3ds(ChunkDatabase3ds* database, const Mesh3ds* mesh) {
  if (mesh == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (!CheckDatabase3ds(database, false)) return;
  CheckStringLength3ds(mesh->name, kObjectNameSize3ds - 1);
  if (ErrorsPending3ds()) return;
  if (!MeshArraysCoverCounts(*mesh)) {
    PushError3ds(ERR_INVALID_DATA);
    return;
  }
  ChunkNode3ds* mdata = nullptr;
  FindMData3ds(database->root, &mdata);
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, mesh->name, &object);
  if (ErrorsPending3ds()) return;
  ChunkNode3ds* xdata = nullptr;
  object = PrepareEntryForPut3ds(mdata, object, NAMED_OBJECT, &xdata);
  if (ErrorsPending3ds()) return;
  object->data = NameData3ds{mesh->name};
  MarkObjectListDirty3ds(database);
  AddTriObject(object, *mesh);
  for (const auto& flag : kObjectFlags) {
    if (mesh->*flag.field) AddDataChunk3ds(object, flag.tag, std::monostate{});
  }
  if (mesh->isproc == 1 && mesh->procsize > 0)
    AddDataChunk3ds(object, OBJ_PROCEDURAL, std::monostate{});
  if (xdata != nullptr) AddChildChunk3ds(FindChildChunk3ds(object, N_TRI_OBJECT), xdata);
  if (ErrorsPending3ds()) PushError3ds(ERR_PUT_FAILED);
}

void DeleteMeshByName3ds(ChunkDatabase3ds* database, const char* name) {
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(database, name, &object);
  if (FindChildChunk3ds(object, N_TRI_OBJECT) != nullptr)
    DeleteNamedObjectByName3ds(database, name);
}

void DeleteMeshByIndex3ds(ChunkDatabase3ds* database, int32_t index) {
  DeleteNamedObjectByIndex3ds(database, N_TRI_OBJECT, index);
}

void CopyMeshByIndex3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, int32_t index) {
  CopyNamedObjectByIndex3ds(destination, source, N_TRI_OBJECT, index);
}

void CopyMeshByName3ds(ChunkDatabase3ds* destination, ChunkDatabase3ds* source, const char* name) {
  ChunkNode3ds* object = nullptr;
  FindNamedObject3ds(source, name, &object);
  if (FindChildChunk3ds(object, N_TRI_OBJECT) != nullptr)
    CopyNamedObjectByName3ds(destination, source, name);
}

bool GetMeshBounds3ds(const Mesh3ds& mesh, point3ds* low, point3ds* high) {
  if (mesh.nvertices == 0 || mesh.vertexarray.size() < mesh.nvertices) {
    PushError3ds(ERR_INVALID_DATA);
    return false;
  }
  *low = *high = mesh.vertexarray[0];
  for (size_t i = 1; i < mesh.nvertices; ++i) {
    const point3ds& p = mesh.vertexarray[i];
    *low = {std::min(low->x, p.x), std::min(low->y, p.y), std::min(low->z, p.z)};
    *high = {std::max(high->x, p.x), std::max(high->y, p.y), std::max(high->z, p.z)};
  }
  return true;
}

void SetMeshCenterMatrix3ds(Mesh3ds* mesh) {
  if (mesh == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  point3ds low, high;
  if (!GetMeshBounds3ds(*mesh, &low, &high)) return;
  mesh->locmatrix = {1.0f,
                     0.0f,
                     0.0f,
                     0.0f,
                     1.0f,
                     0.0f,
                     0.0f,
                     0.0f,
                     1.0f,
                     (low.x + high.x) / 2.0f,
                     (low.y + high.y) / 2.0f,
                     (low.z + high.z) / 2.0f};
}
