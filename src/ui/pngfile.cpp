#include "ui/pngfile.h"

#include "base/handles.h"

#include <windows.h>
// The codecs' class and format GUIDs are defined here, in the one file that uses them.
#include <initguid.h>
#include <wincodec.h>

#include <stdexcept>
#include <utility>

namespace ui {
namespace {

using base::Com;
using base::ComScope;

void Check(HRESULT result, const char* what) {
  if (SUCCEEDED(result))
    return;
  char code[12];
  wsprintfA(code, "%08lX", static_cast<unsigned long>(result));
  throw std::runtime_error(std::string("PNG-Bild: ") + what + " nicht möglich (Fehler 0x" + code +
                           ")");
}

Com<IWICImagingFactory> Factory() {
  Com<IWICImagingFactory> factory;
  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Put())),
        "Bildkodierung des Systems");
  return factory;
}

} // namespace

std::string EncodePng(const base::MemoryBitmap& picture) {
  if (!picture)
    throw std::runtime_error("PNG-Bild: kein Bild");
  GdiFlush();
  ComScope com;
  Com<IWICImagingFactory> factory = Factory();
  Com<IStream> stream;
  Check(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), "Speicher");
  Com<IWICBitmapEncoder> encoder;
  Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put()), "PNG-Kodierer");
  Check(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache), "PNG-Kodierer");
  Com<IWICBitmapFrameEncode> frame;
  Check(encoder->CreateNewFrame(frame.Put(), nullptr), "Bildseite");
  Check(frame->Initialize(nullptr), "Bildseite");
  // The fourth byte is no alpha: the pixels are taken as opaque, and the codec writes them so.
  const UINT stride = static_cast<UINT>(picture.width()) * 4;
  Com<IWICBitmap> source;
  Check(factory->CreateBitmapFromMemory(
            static_cast<UINT>(picture.width()), static_cast<UINT>(picture.height()),
            GUID_WICPixelFormat32bppBGR, stride, stride * static_cast<UINT>(picture.height()),
            static_cast<BYTE*>(picture.pixels()), source.Put()),
        "Bildquelle");
  Check(frame->SetSize(static_cast<UINT>(picture.width()), static_cast<UINT>(picture.height())),
        "Bildgröße");
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  Check(frame->SetPixelFormat(&format), "Pixelformat");
  Check(frame->WriteSource(source.get(), nullptr), "Kodieren");
  Check(frame->Commit(), "Kodieren");
  Check(encoder->Commit(), "Kodieren");

  HGLOBAL memory = nullptr;
  Check(GetHGlobalFromStream(stream.get(), &memory), "Speicher");
  STATSTG stat{};
  Check(stream->Stat(&stat, STATFLAG_NONAME), "Speicher");
  const auto* bytes = static_cast<const char*>(GlobalLock(memory));
  if (!bytes)
    throw std::runtime_error("PNG-Bild: Speicher nicht lesbar");
  std::string png(bytes, static_cast<std::size_t>(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return png;
}

DecodedPicture DecodePng(std::string_view bytes) {
  ComScope com;
  Com<IWICImagingFactory> factory = Factory();
  Com<IWICStream> stream;
  Check(factory->CreateStream(stream.Put()), "Speicher");
  Check(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                     static_cast<DWORD>(bytes.size())),
        "Speicher");
  Com<IWICBitmapDecoder> decoder;
  Check(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                         decoder.Put()),
        "PNG-Dekodierer");
  Com<IWICBitmapFrameDecode> frame;
  Check(decoder->GetFrame(0, frame.Put()), "Bildseite");
  Com<IWICFormatConverter> converter;
  Check(factory->CreateFormatConverter(converter.Put()), "Pixelformat");
  Check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                              nullptr, 0.0, WICBitmapPaletteTypeCustom),
        "Pixelformat");
  UINT width = 0, height = 0;
  Check(converter->GetSize(&width, &height), "Bildgröße");
  DecodedPicture picture{static_cast<int>(width), static_cast<int>(height), {}};
  picture.pixels.resize(static_cast<std::size_t>(width) * height);
  Check(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                              reinterpret_cast<BYTE*>(picture.pixels.data())),
        "Dekodieren");
  return picture;
}

} // namespace ui
