// A colour image decoded from arbitrary bytes: the first byte picks the file
// type, the rest is the file. Decoded records are converted and sampled as the
// particle system does.
#include <NbParticleSystem600/NbParticleSystem600.h>

#include <cstddef>
#include <cstdint>

using namespace ZRC;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 1 << 20)
        return 0;
    const int type = 1 + data[0] % 8;
    ZrByteArray bytes;
    bytes.Add(data + 1, static_cast<int>(size - 1));
    VEXA::VexaArray<ZrImageData*> images;
    ZrFileParseToolkit::GetImageData(type, bytes, images);
    for (int i = 0; i < images.GetSize(); ++i) {
        ZrImageData* image = images[i];
        if (ZrImgToolkit::ImageDataToRGBA(*image, 255))
            ZrImageOperator::ImageSwapRB(4, image->m_nWidth, image->m_nHeight, image->m_pData);
        ZrParticle particle;
        particle.SetColorImageData(image);
        for (int step = 0; step < 4; ++step)
            particle.UpdateParticle(0.6);
        ZrImageData* clone = image->Clone();
        delete clone;
        delete image;
    }
    return 0;
}
