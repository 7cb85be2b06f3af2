#include "corvane/StepData.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <set>

namespace corvane {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// Past the string that starts at i (a quote); doubled quotes stay inside.
size_t SkipString(std::string_view s, size_t i) {
  for (++i; i < s.size(); ++i)
    if (s[i] == '\'') {
      if (i + 1 < s.size() && s[i + 1] == '\'')
        ++i;
      else
        return i + 1;
    }
  return s.size();
}

size_t SkipBlanksAndComments(std::string_view s, size_t i) {
  while (i < s.size()) {
    if (IsBlank(s[i])) {
      ++i;
    } else if (s.compare(i, 2, "/*") == 0) {
      size_t e = s.find("*/", i + 2);
      i = e == std::string_view::npos ? s.size() : e + 2;
    } else {
      break;
    }
  }
  return i;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

int RefOf(std::string_view param) {
  param = Trim(param);
  int id = 0;
  if (param.size() < 2 || param[0] != '#') return 0;
  std::from_chars(param.data() + 1, param.data() + param.size(), id);
  return id;
}

bool IsSolidItem(std::string_view type) {
  return type == "MANIFOLD_SOLID_BREP" || type == "BREP_WITH_VOIDS" || type == "FACETED_BREP" ||
         type == "SHELL_BASED_SURFACE_MODEL";
}

// The three numbers of a point or direction "('',(x,y,z))", close to Want.
bool TripleIs(const TStepData& d, std::string_view ref, std::string_view type, const double (&want)[3]) {
  const TStepEntity* e = d.Find(RefOf(ref));
  if (!e || e->Type() != type) return false;
  auto p = TStepData::Params(*e);
  if (p.size() != 2 || p[1].size() < 2 || p[1].front() != '(' || p[1].back() != ')') return false;
  std::string_view list = p[1].substr(1, p[1].size() - 2);
  double v[3];
  for (int k = 0; k < 3; ++k) {
    const size_t comma = k < 2 ? list.find(',') : list.size();
    if (comma == std::string_view::npos) return false;
    std::string_view n = Trim(list.substr(0, comma));
    if (std::from_chars(n.data(), n.data() + n.size(), v[k]).ptr != n.data() + n.size()) return false;
    list.remove_prefix(std::min(list.size(), comma + 1));
  }
  const double norm = type == "DIRECTION" ? std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) : 1.0;
  if (norm == 0) return false;
  for (int k = 0; k < 3; ++k)
    if (std::abs(v[k] / norm - want[k]) > 1e-12) return false;
  return true;
}

bool IsStandardAxis(const TStepData& d, int id) {
  const TStepEntity* a = d.Find(id);
  if (!a || a->Type() != "AXIS2_PLACEMENT_3D") return false;
  auto p = TStepData::Params(*a);
  const double origin[3]{0, 0, 0}, z[3]{0, 0, 1}, x[3]{1, 0, 0};
  return p.size() == 4 && TripleIs(d, p[1], "CARTESIAN_POINT", origin) &&
         (p[2] == "$" || TripleIs(d, p[2], "DIRECTION", z)) && (p[3] == "$" || TripleIs(d, p[3], "DIRECTION", x));
}

}  // namespace

bool TStepData::Parse(std::string text) {
  FText = std::move(text);
  FEntities.clear();
  FIndex.clear();
  FSorted = true;
  // Entities take 40 bytes of text or more; the list is kept as long as the text is.
  FEntities.reserve(FText.size() / 40);
  std::string_view s = FText;
  if (s.substr(0, 200).find("ISO-10303-21") == std::string_view::npos) return false;
  // The data section starts after the header's ENDSEC; strings in the header may hold anything.
  size_t i = 0;
  for (;;) {
    i = SkipBlanksAndComments(s, i);
    if (i >= s.size()) return false;
    if (s[i] == '\'') {
      i = SkipString(s, i);
    } else if (s.compare(i, 5, "DATA;") == 0) {
      i += 5;
      break;
    } else {
      ++i;
    }
  }
  for (;;) {
    i = SkipBlanksAndComments(s, i);
    if (i >= s.size()) return false;
    if (s.compare(i, 7, "ENDSEC;") == 0) break;
    if (s[i] != '#') return false;
    TStepEntity e;
    auto r = std::from_chars(s.data() + i + 1, s.data() + s.size(), e.Id);
    if (r.ec != std::errc() || e.Id <= 0) return false;
    i = SkipBlanksAndComments(s, r.ptr - s.data());
    if (i >= s.size() || s[i] != '=') return false;
    i = SkipBlanksAndComments(s, i + 1);
    size_t start = i;
    size_t k = i;
    while (k < s.size() && (std::isalnum(static_cast<unsigned char>(s[k])) || s[k] == '_')) ++k;
    e.At = s.data() + start;
    e.TypeSize = static_cast<uint32_t>(k - start);
    // The entity ends at the first semicolon outside strings.
    while (k < s.size() && s[k] != ';') k = s[k] == '\'' ? SkipString(s, k) : k + 1;
    if (k >= s.size()) return false;
    e.Size = static_cast<uint32_t>(Trim(s.substr(start, k - start)).size());
    if (FSorted && !FEntities.empty() && e.Id <= FEntities.back().Id) {
      FSorted = false;
      for (size_t k = 0; k < FEntities.size(); ++k) FIndex.emplace(FEntities[k].Id, k);
    }
    if (!FSorted && !FIndex.emplace(e.Id, FEntities.size()).second) return false;  // numbered twice
    FEntities.push_back(e);
    i = k + 1;
  }
  if (FEntities.capacity() > FEntities.size() + FEntities.size() / 4) FEntities.shrink_to_fit();
  return true;
}

const TStepEntity* TStepData::Find(int id) const {
  if (FSorted) {
    auto it = std::lower_bound(FEntities.begin(), FEntities.end(), id, [](auto& e, int v) { return e.Id < v; });
    return it != FEntities.end() && it->Id == id ? &*it : nullptr;
  }
  auto it = FIndex.find(id);
  return it == FIndex.end() ? nullptr : &FEntities[it->second];
}

std::vector<std::string_view> TStepData::Params(const TStepEntity& e) {
  std::vector<std::string_view> out;
  std::string_view t = e.Text();
  size_t open = t.find('(');
  if (e.Type().empty() || open == std::string_view::npos) return out;
  int depth = 0;
  size_t from = open + 1;
  for (size_t i = open + 1; i < t.size(); ++i) {
    char c = t[i];
    if (c == '\'') {
      i = SkipString(t, i) - 1;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth == 0) {
        out.push_back(Trim(t.substr(from, i - from)));
        break;
      }
      --depth;
    } else if (c == ',' && depth == 0) {
      out.push_back(Trim(t.substr(from, i - from)));
      from = i + 1;
    }
  }
  return out;
}

std::vector<int> TStepData::Refs(std::string_view t) {
  std::vector<int> out;
  for (size_t i = 0; i < t.size();) {
    if (t[i] == '\'') {
      i = SkipString(t, i);
    } else if (t[i] == '#') {
      int id = 0;
      auto r = std::from_chars(t.data() + i + 1, t.data() + t.size(), id);
      if (r.ec == std::errc()) out.push_back(id);
      i = r.ptr - t.data();
      if (r.ec != std::errc()) ++i;
    } else {
      ++i;
    }
  }
  return out;
}

bool EmbedStepData(const TStepData& d, TStepText& out, int appContext, TEmbeddedPart& part, std::string& why) {
  // The root product definition is the one no assembly usage places.
  std::set<int> placed;
  std::vector<int> definitions;
  for (auto& e : d.Entities()) {
    if (e.Type() == "NEXT_ASSEMBLY_USAGE_OCCURRENCE") {
      auto p = TStepData::Params(e);
      if (p.size() >= 5) placed.insert(RefOf(p[4]));
    } else if (e.Type() == "PRODUCT_DEFINITION" || e.Type() == "PRODUCT_DEFINITION_WITH_ASSOCIATED_DOCUMENTS") {
      definitions.push_back(e.Id);
    }
  }
  std::vector<int> roots;
  for (int id : definitions)
    if (!placed.count(id)) roots.push_back(id);
  if (roots.size() != 1) {
    why = roots.empty() ? "it names no product" : "it holds several products";
    return false;
  }
  std::set<int> shapes;  // product definition shapes of the root
  for (auto& e : d.Entities())
    if (e.Type() == "PRODUCT_DEFINITION_SHAPE") {
      auto p = TStepData::Params(e);
      if (p.size() >= 3 && RefOf(p[2]) == roots[0]) shapes.insert(e.Id);
    }
  std::vector<int> reps;
  for (auto& e : d.Entities())
    if (e.Type() == "SHAPE_DEFINITION_REPRESENTATION") {
      auto p = TStepData::Params(e);
      if (p.size() >= 2 && shapes.count(RefOf(p[0]))) reps.push_back(RefOf(p[1]));
    }
  if (reps.size() != 1 || !d.Find(reps[0])) {
    why = reps.empty() ? "its product has no shape" : "its product has several shapes";
    return false;
  }

  // Solids of the representation or of one it is related to, for instance styles.
  auto solidsOf = [&](int rep, std::vector<int>& solids, int& context) {
    const TStepEntity* r = d.Find(rep);
    if (!r) return;
    auto p = TStepData::Params(*r);
    if (p.size() < 3) return;
    for (int item : TStepData::Refs(p[1]))
      if (const TStepEntity* it = d.Find(item); it && IsSolidItem(it->Type())) solids.push_back(item);
    if (!solids.empty()) context = RefOf(p[2]);
  };
  std::vector<int> solids;
  int context = 0;
  solidsOf(reps[0], solids, context);
  if (solids.empty())
    for (auto& e : d.Entities())
      if (e.Type() == "SHAPE_REPRESENTATION_RELATIONSHIP") {
        auto p = TStepData::Params(e);
        if (p.size() < 4) continue;
        int a = RefOf(p[2]), b = RefOf(p[3]);
        if (a == reps[0] || b == reps[0]) solidsOf(a == reps[0] ? b : a, solids, context);
        if (!solids.empty()) break;
      }

  int origin = 0;
  if (auto p = TStepData::Params(*d.Find(reps[0])); p.size() >= 2)
    for (int item : TStepData::Refs(p[1]))
      if (IsStandardAxis(d, item)) {
        origin = item;
        break;
      }

  // New numbers keep the old order; the dropped context entities leave gaps.
  int lo = 1 << 30, hi = 0;
  std::unordered_map<int, int> replaced;
  for (auto& e : d.Entities()) {
    lo = std::min(lo, e.Id);
    hi = std::max(hi, e.Id);
    if (e.Type() == "APPLICATION_CONTEXT") replaced[e.Id] = appContext;
  }
  const int offset = out.Next() - lo;
  auto map = [&](int id) {
    auto it = replaced.find(id);
    return it != replaced.end() ? it->second : id + offset;
  };
  std::string& o = out.Out();
  for (auto& e : d.Entities()) {
    if (e.Type() == "APPLICATION_CONTEXT" || e.Type() == "APPLICATION_PROTOCOL_DEFINITION") continue;
    out.Begin(e.Id + offset);
    std::string_view t = e.Text();
    size_t i = 0, from = 0;
    while (i < t.size()) {
      if (t[i] == '\'') {
        i = SkipString(t, i);
      } else if (t[i] == '#') {
        int id = 0;
        auto r = std::from_chars(t.data() + i + 1, t.data() + t.size(), id);
        if (r.ec != std::errc()) {
          ++i;
          continue;
        }
        o.append(t.substr(from, i - from));
        out.Ref(map(id));
        i = from = r.ptr - t.data();
      } else {
        ++i;
      }
    }
    o.append(t.substr(from));
    o += ";\n";
  }
  out.SetNext(hi + offset + 1);
  part.ProductDefinition = map(roots[0]);
  part.Representation = map(reps[0]);
  part.Solids.clear();
  for (int s : solids) part.Solids.push_back(map(s));
  part.SolidContext = context ? map(context) : 0;
  part.Origin = origin ? map(origin) : 0;
  return true;
}

}  // namespace corvane
