#pragma once
// Base64 (MIME) and uuencode lines of a stream, 45 source bytes per line, each line ended by CR LF.
// The program runs its Base64 for the update's credentials; uuencode is the component's surface.
#include <array>
#include <functional>
#include <istream>
#include <ostream>

enum class UUMethods { uuMime = 0, uuCode = 1 };

class TUUProcessor {
public:
  using TNotifyEvent = std::function<void(TUUProcessor& sender)>;

  UUMethods Method = UUMethods::uuMime;
  TNotifyEvent OnBeginEncode, OnEndEncode, OnBeginDecode, OnEndDecode;

  // Not owned. Encode reads SourceStream from its start and leaves TargetStream at position 0.
  std::istream* SourceStream = nullptr;
  std::iostream* TargetStream = nullptr;

  void Encode();

private:
  void FillAlphabet();
  void EncodeLine(const unsigned char* bytes, std::size_t count);

  std::array<char, 64> alphabet_{};
};
