// Writing a solid to a mesh file, the format chosen by the file's extension:
// STL by the core's writer, the others with Assimp. A file already at the
// path is replaced whole or not at all.
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"
#include "shape/SolidMesh.h"

enum class SolidFormat {
    Stl,      // binary STL (shape/StlWriter)
    Obj,      // Wavefront OBJ and its .mtl with the colour
    Ply,      // binary PLY with normals and per-vertex colour
    Glb,      // binary glTF 2.0 with normals and a material of the colour
    ThreeMf,  // 3MF; Assimp's writer declares unit="millimeter", no colour
};

// The format named by the extension of `path` (.stl, .obj, .ply, .glb or
// .3mf, in any case); false for any other name.
bool SolidFormatOf(const std::string& path, SolidFormat* format);

// Writes `solid`, in the colour's red, green and blue, to `path` in `format`.
// Every file is first written and synced in a fresh directory beside `path`,
// then renamed into place: for OBJ the .mtl of the same name first, the .obj
// last. The directory is removed whatever happens. On failure returns false
// with the reason in `error`, and no file at the target has changed (for OBJ,
// a failure between the two renames leaves the new .mtl beside the old .obj).
bool WriteSolidFile(const SolidMesh& solid, const D3DCOLORVALUE& colour, SolidFormat format,
                    const std::string& path, std::string* error);
