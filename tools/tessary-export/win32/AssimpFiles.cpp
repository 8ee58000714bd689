// The Windows build has no Assimp: it writes STL only, and the command line
// refuses the other formats before anything is made.
#include "AssimpFiles.h"

const bool kAssimpFormats = false;

bool AssimpFiles(const SolidMesh&, const D3DCOLORVALUE&, SolidFormat, const std::string&,
                 const std::string&, std::vector<OutputFile>*, std::string* error) {
    *error = "this build writes STL only";
    return false;
}
