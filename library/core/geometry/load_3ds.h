// The 3DS mesh loader: every triangle mesh of a 3DS file (read through library/toolkit3ds, which
// documents the file) as one mesh of position, normal and one coordinate pair, one subset per
// material group, with a material record per subset.
#pragma once

#include <cstdint>

#include "library/core/vortanautil.h"

struct Materials3ds;

// Set by Load3DS_SetCenter and Load3DS_SetLocalMat; zero at load.
extern int32_t CenterSwitch;
extern int32_t LocalMatSwitch;

// The record a subset reports: the material's colours with its opacity as alpha (the toolkit record
// is given the same opacity), its first texture map with ".tif" read as ".jpg", and objectName.
MAT3DSC MakeMaterialRecord3ds(Materials3ds* material, const char* objectName);

// The record of a subset whose material is not in the file: white diffuse and ambient.
MAT3DSC DefaultMaterialRecord3ds(const char* objectName);
