// A solid as the bytes of a binary STL file: the 80-byte header, the
// triangle count, then per triangle its unit normal, its three corners in
// the solid's order and a zero attribute word, all little-endian. The
// viewer's saves and tessary-export write these same bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "shape/SolidMesh.h"

// What the header says; the rest of its 80 bytes are zero. It must not
// start with "solid", which would read as the text form of STL.
constexpr char kStlHeader[] = "Tessary supershape, binary STL, millimetres";

std::vector<std::uint8_t> BinaryStl(const SolidMesh& solid);
