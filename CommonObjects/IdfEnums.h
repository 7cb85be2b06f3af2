#pragma once
// Enumerations of the IDF reader and the outline geometry. Each is generated from one list of
// names, so that EnumName and the "prefix + word" look-up can never disagree with the values.
#include <array>
#include <string>
#include <string_view>

#define IDF_ENUM_VALUE(name) name,
#define IDF_ENUM_NAME(name) #name,

#define IDF_DECLARE_ENUM(Type, LIST)                         \
  enum Type : int { LIST(IDF_ENUM_VALUE) };                  \
  template <>                                                \
  struct TEnumTraits<Type> {                                 \
    static constexpr std::array kNames{LIST(IDF_ENUM_NAME)}; \
  };

template <class E>
struct TEnumTraits;

// clang-format off
#define IDF_SECTION_TYPES(X)                                                                       \
  X(stNONE) X(stHEADER) X(stBOARD_OUTLINE) X(stPANEL_OUTLINE) X(stOTHER_OUTLINE) X(stROUTE_OUTLINE) \
  X(stPLACE_OUTLINE) X(stROUTE_KEEPOUT) X(stVIA_KEEPOUT) X(stPLACE_KEEPOUT) X(stPLACE_REGION)       \
  X(stDRILLED_HOLES) X(stNOTES) X(stPLACEMENT) X(stELECTRICAL) X(stMECHANICAL) X(stALTIUMBODYELEMENT)
#define IDF_FILE_TYPES(X) X(ftNONE) X(ftBOARD_FILE) X(ftPANEL_FILE) X(ftLIBRARY_FILE)
#define IDF_OWNER_TYPES(X) X(otNONE) X(otMCAD) X(otECAD) X(otUNOWNED) X(otPLACED) X(otUNPLACED)
#define IDF_LAYER_TYPES(X) X(ltNONE) X(ltTOP) X(ltBOTTOM) X(ltBOTH) X(ltINNER) X(ltALL)
#define IDF_UNITS_TYPES(X) X(utNONE) X(utMM) X(utTHOU) X(utTNM) X(utINCH) X(utMETRE) X(utCM)
#define IDF_HOLE_TYPES(X) X(htNONE) X(htPIN) X(htVIA) X(htMTG) X(htTOOL) X(htOTHER)
#define IDF_PLATING_STYLES(X) X(psNONE) X(psPTH) X(psNPTH)
#define IDF_ASSOC_PARTS(X) X(apNONE) X(apBOARD) X(apNOREFDES) X(apPANEL) X(apDESIGNATOR)
#define IDF_RECORD_TYPES(X) X(rtNONE) X(rtLINE) X(rtARC) X(rtCIRCLE) X(rtDRILLED_HOLE) X(rtPLACEMENT) X(rtNOTE)
#define IDF_UPDATE_ACTIONS(X) X(upNONE) X(upMOVE) X(upDELETE) X(upPLACE)
#define IDF_ELEMENT_TYPES(X)                                                                        \
  X(etLine) X(etArc) X(etCircle) X(etRectangle) X(etSquare) X(etOval) X(etSlot) X(etCircularPad)      \
  X(etRectangularPad) X(etOctagonalPad) X(etText) X(etHole) X(etCylinder) X(etSphere)                \
  X(etRoundedRectangle) X(etChampheredRectangle)
#define IDF_IDF_HOLE_TYPES(X) X(htIdfNONE) X(htIdfPin) X(htIdfVia) X(htIdfMounting) X(htIdfTooling) X(htIdfOther)
// clang-format on

IDF_DECLARE_ENUM(TSectionType, IDF_SECTION_TYPES)
IDF_DECLARE_ENUM(TFileType, IDF_FILE_TYPES)
IDF_DECLARE_ENUM(TOwnerType, IDF_OWNER_TYPES)
IDF_DECLARE_ENUM(TLayerType, IDF_LAYER_TYPES)
IDF_DECLARE_ENUM(TUnitsType, IDF_UNITS_TYPES)
IDF_DECLARE_ENUM(THoleType, IDF_HOLE_TYPES)
IDF_DECLARE_ENUM(TPlatingStyle, IDF_PLATING_STYLES)
IDF_DECLARE_ENUM(TAssocPart, IDF_ASSOC_PARTS)
IDF_DECLARE_ENUM(TRecordType, IDF_RECORD_TYPES)
IDF_DECLARE_ENUM(TUpdatePlacementAction, IDF_UPDATE_ACTIONS)
IDF_DECLARE_ENUM(TElementType, IDF_ELEMENT_TYPES)
IDF_DECLARE_ENUM(TIdfHoleType, IDF_IDF_HOLE_TYPES)

// The value a word names no value of: outside the enumeration, distinct from every named one.
constexpr int kUnrecognisedEnum = -1;

// Name of value Index of enumeration E without its two-letter prefix; empty for indexes
// outside 0..21 or outside the enumeration.
template <class E>
std::string EnumName(E value) {
  int index = static_cast<int>(value);
  constexpr auto& names = TEnumTraits<E>::kNames;
  if (index < 0 || index > 21 || index >= static_cast<int>(names.size())) return {};
  return std::string(names[index]).substr(2);
}

// The ASCII case rule of IdfStrUtils.h, which includes this header.
bool SameTextAscii(std::string_view a, std::string_view b);

// The value whose name is prefix + word, compared without regard to ASCII case;
// kUnrecognisedEnum when there is none. The prefix is the enumeration's own.
template <class E>
E EnumFromWord(std::string_view word) {
  constexpr auto& names = TEnumTraits<E>::kNames;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string_view full(names[i]);
    if (full.size() == word.size() + 2 && SameTextAscii(full.substr(2), word)) return static_cast<E>(i);
  }
  return static_cast<E>(kUnrecognisedEnum);
}
