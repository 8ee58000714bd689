// Turning a genome into a visible shape.
#pragma once

#include "platform/d3d9/d3d9.h"

struct Genome;
class CSuperShape;

// Writes the shape's twelve parameters from the genome (no draws).
void DecodeGenome(const Genome& genome, CSuperShape& shape);
// A fresh random colour (exactly 3 draws: blue, green, red).
D3DMATERIAL9 RandomMaterial();
// Gives the shape a fresh random colour (RandomMaterial's 3 draws).
void RandomizeMaterial(CSuperShape& shape);
