// Decoding a genome into a supershape's twelve parameters, and the random
// colour each decoded shape is given.
#include "genetic/Decode.h"

#include "genetic/Genome.h"
#include "platform/Random.h"
#include "shape/CSuperShape.h"

void DecodeGenome(const Genome& genome, CSuperShape& shape) {
    // The genome runs curve by curve (18 genes each, six triples a b m n1 n2
    // n3); the shape's block runs pair by pair (a0 a1 b0 b1 ...). Slot
    // 2L + c takes the triple starting at gene 18c + 3L.
    double* slots = shape.Parameters();
    for (int parameter = 0; parameter < 6; ++parameter) {
        for (int curve = 0; curve < 2; ++curve) {
            const double* g = genome.genes + 18 * curve + 3 * parameter;
            slots[2 * parameter + curve] = ((0.0 + g[0]) + g[1]) + g[2];
        }
    }
}

D3DMATERIAL9 RandomMaterial() {
    double channel[3];
    for (double& c : channel) c = (Rand() / static_cast<double>(kRandMax)) * 0.75 + 0.25;
    // The first draw is blue, the second green, the third red.
    const float red = static_cast<float>(channel[2]);
    const float green = static_cast<float>(channel[1]);
    const float blue = static_cast<float>(channel[0]);

    D3DMATERIAL9 material{};
    material.Diffuse = {red, green, blue, 0.0f};
    material.Ambient = {red, green, blue, 0.0f};
    material.Specular = {static_cast<float>(2.0 * channel[2]), static_cast<float>(2.0 * channel[1]),
                         static_cast<float>(2.0 * channel[0]), 0.0f};
    material.Power = 50.0f;
    return material;
}

void RandomizeMaterial(CSuperShape& shape) { shape.material = RandomMaterial(); }
