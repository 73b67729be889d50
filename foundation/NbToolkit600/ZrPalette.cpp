#include "ZrPalette.h"

namespace ZRC {

ZrPalette::ZrPalette() = default;
ZrPalette::ZrPalette(const ZrPalette& other) : m_entries(other.m_entries) {}

ZrPalette& ZrPalette::operator=(const ZrPalette& other)
{
    m_entries.Copy(other.m_entries);
    return *this;
}

ZrPalette::~ZrPalette() = default;

} // namespace ZRC
