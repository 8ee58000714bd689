// Writing the formats other than STL, with Assimp. The Windows build has no
// Assimp (Debian has none for MinGW-w64): it links win32/AssimpFiles.cpp
// instead, which writes none of them, and the export writes STL only.
#pragma once

#include <string>
#include <vector>

#include "ExportWriter.h"

// Whether this build writes the formats below.
extern const bool kAssimpFormats;

struct OutputFile {
    std::string name;  // in the target's directory
    std::string bytes;
};

// The files that hold `solid` in `format` (OBJ, PLY, glTF or 3MF) under the
// target's own file name (the OBJ names its .mtl after it), the target's
// last. False with the writer's reason in `error`.
bool AssimpFiles(const SolidMesh& solid, const D3DCOLORVALUE& colour, SolidFormat format,
                 const std::string& directory, const std::string& fileName,
                 std::vector<OutputFile>* files, std::string* error);
