// Writing a solid to a mesh file, the format chosen by the file's extension:
// STL by the core's writer, the others with Assimp where the build has it
// (not on Windows). A file already at the path is replaced whole or not at
// all.
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

// Whether this build writes `format`: every one with Assimp, STL alone
// without it.
bool SolidFormatWritten(SolidFormat format);

// Whether an OBJ may be called `fileName`: the OBJ names its .mtl in a
// line of its own, so a control character (a line break above all) would
// add lines to it. Spaces are allowed: readers take the rest of the line.
bool ObjNameAllowed(const std::string& fileName);

// Writes `solid`, in the colour's red, green and blue, to `path` in `format`,
// through the platform's atomic writer (platform/files/AtomicWrite.h): a link
// at `path` is followed, a replaced file keeps its permission bits, and for
// OBJ the .mtl of the same name, beside the file really written, goes first.
// On failure returns false with the whole message in `error` ("cannot write
// PATH: reason"), and no file at the target has changed (for OBJ, a failure
// between the two renames leaves the new .mtl beside the old .obj).
bool WriteSolidFile(const SolidMesh& solid, const D3DCOLORVALUE& colour, SolidFormat format,
                    const std::string& path, std::string* error);
