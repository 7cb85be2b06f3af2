// Writing ISO 10303-21 text: entities numbered as they are written, reals and strings
// formatted as the exchange format wants them, all into one buffer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace corvane {

class TStepText {
 public:
  // Entity numbers are handed out from First on.
  explicit TStepText(int First = 1) : FNext(First) {}

  // A number for an entity written later (forward references are allowed).
  int Reserve() { return FNext++; }
  // Starts "#N=" for a new number, or for one reserved before; the caller writes the
  // type and its parameters and ends with End().
  int Begin() { return Begin(FNext++); }
  int Begin(int Id);

  // From here on the text goes to Sink in pieces of about Chunk bytes instead of growing in
  // memory (an assembly holds its board's whole text); Flush hands over the rest. Nothing
  // written may be read back from Out() then.
  void StreamTo(std::function<void(std::string_view)> Sink, size_t Chunk = size_t(1) << 20);
  void Flush();
  void End() { FOut += ");\n"; }
  // Room for about Bytes more text, made at once instead of regrown; nothing while streaming.
  void Expect(size_t Bytes) {
    if (!FSink) FOut.reserve(FOut.size() + Bytes);
  }
  // Bytes written so far, streamed or not: where the next text starts in the file.
  uint64_t Offset() const { return FStreamed + FOut.size(); }

  TStepText& Raw(std::string_view s) {
    FOut += s;
    return *this;
  }
  TStepText& Ref(int Id);
  TStepText& Real(double V);
  TStepText& Int(long V);
  TStepText& Str(std::string_view Utf8);
  TStepText& Bool(bool V) { return Raw(V ? ".T." : ".F."); }
  // "(x,y,z)"
  TStepText& Triple(double X, double Y, double Z);

  // One whole entity "#N=TEXT;" where TEXT is already formatted.
  int Entity(std::string_view Text);

  int Next() const { return FNext; }
  void SetNext(int Next) { FNext = Next; }
  std::string& Out() { return FOut; }

 private:
  std::string FOut;
  int FNext;
  std::function<void(std::string_view)> FSink;
  size_t FChunk = 0;
  uint64_t FStreamed = 0;
};

// Reals as the exchange format writes them: always with a decimal point, upper-case
// exponent, and rounded to 15 significant digits so that unit scaling leaves no noise
// digits (6.000000000000001 is written 6.).
void AppendStepReal(std::string& Out, double V);
// A quoted string: quotes and backslashes doubled, everything outside printable ASCII
// written as \X2\...\X0\ (or \X4\ beyond the basic plane).
void AppendStepString(std::string& Out, std::string_view Utf8);

}  // namespace corvane
