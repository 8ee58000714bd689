// Turning a genome into a visible shape.
#pragma once

struct Genome;
class CSuperShape;

// Writes the shape's twelve parameters from the genome (no draws).
void DecodeGenome(const Genome& genome, CSuperShape& shape);
// Gives the shape a fresh random colour (exactly 3 draws).
void RandomizeMaterial(CSuperShape& shape);
