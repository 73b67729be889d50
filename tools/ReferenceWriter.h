#pragma once
#include <string>

// Writes the authors' reference of the effect document and its XML Schema
// from the one description DocumentReference gives: the Markdown reference
// (docs/effect-format.md) and the schema with the same text as the
// documentation of every element (effects/NbParticleEffect.xsd). Both files
// are committed; tools/reference/nbps_reference writes them again.
class ReferenceWriter {
public:
    static std::string Markdown();
    // Empty when the classes of a strategy element disagree on the order of
    // their children, which no one sequence of a schema can express.
    static std::string Schema();
};
