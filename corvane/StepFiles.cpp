#include "corvane/StepFiles.h"

#include "corvane/Exchange.h"
#include "corvane/Modules.h"
#include "corvane/StepData.h"
#include "corvane/StepWriter.h"
#include "host/CorvaneX_TLB.h"

#include <BRep_Builder.hxx>
#include <Geom2d_Curve.hxx>
#include <Geom_Surface.hxx>
#include <ShapeFix_Edge.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Pnt2d.hxx>
#include <gp_Vec2d.hxx>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>

namespace corvane {

// One version of a file: each atomic save makes a new file, so the inode tells versions of
// the same size and time apart.
struct TFileStamp {
  dev_t Dev = 0;
  ino_t Ino = 0;
  off_t Size = -1;
  int64_t Time = 0;  // modification, nanoseconds
  bool operator==(const TFileStamp&) const = default;
};

struct TWrittenFile {
  std::string Path;  // follows the rename of the save; read and changed under the written-parts lock
  TFileStamp Stamp;
  TStepLayout Layout;
};

namespace {

using CorvaneX_TLB::ECVHostError;

TFileStamp StampOf(const struct stat& st) {
  return {st.st_dev, st.st_ino, st.st_size, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::atomic<bool> gTranslator{false};

// The caller (the session's save) already writes a temporary file and renames it; errno is left
// as the failing call set it, so that the caller can name the system's reason.
class TTextFile {
 public:
  explicit TTextFile(std::string path)
      : FPath(std::move(path)), FFd(::open(FPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {
    if (FFd < 0) throw ECVHostError("Cannot write " + FPath + ": " + std::strerror(errno));
  }
  ~TTextFile() {
    if (FFd >= 0) ::close(FFd);
  }
  TTextFile(const TTextFile&) = delete;
  TTextFile& operator=(const TTextFile&) = delete;
  // The writers hand over pieces of a megabyte: no buffer of its own.
  void Write(std::string_view text) {
    while (!text.empty()) {
      const ssize_t n = ::write(FFd, text.data(), text.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) Fail(n < 0 ? errno : EIO);
      text.remove_prefix(static_cast<size_t>(n));
    }
  }
  // Appends Size bytes of the file From at Offset; the kernel copies them where it can.
  void Copy(int from, off_t offset, size_t size) {
    while (size > 0) {
      const ssize_t n = ::copy_file_range(from, &offset, FFd, nullptr, size, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) break;
      if (n < 0) Fail(errno);
      if (n == 0) Shortened();
      size -= static_cast<size_t>(n);
    }
    std::vector<char> buf(std::min(size, size_t(1) << 22));
    while (size > 0) {
      const ssize_t n = ::pread(from, buf.data(), std::min(size, buf.size()), offset);
      if (n < 0 && errno == EINTR) continue;
      if (n == 0) Shortened();
      if (n < 0) Fail(errno);
      Write({buf.data(), static_cast<size_t>(n)});
      offset += n;
      size -= static_cast<size_t>(n);
    }
  }
  void Close() {
    const int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0) Fail(errno);
  }

 private:
  [[noreturn]] void Fail(int err) {
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
    errno = err;
    throw ECVHostError("Cannot write " + FPath + ": " + std::strerror(err));
  }
  // The copied file got shorter after it was checked: no fault of the disk.
  [[noreturn]] void Shortened() {
    errno = 0;
    throw ECVHostError("Cannot write " + FPath + ": a part file it copies changed meanwhile");
  }
  std::string FPath;
  int FFd;
};

std::shared_ptr<const TStepData> ParseStep(std::string text) {
  auto d = std::make_shared<TStepData>();
  if (!d->Parse(std::move(text))) return nullptr;
  return d;
}

std::shared_ptr<const TStepData> ParseStepFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return nullptr;
  std::string text(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
  in.seekg(0);
  if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) return nullptr;
  return ParseStep(std::move(text));
}

struct TWrittenPart {
  std::filesystem::file_time_type Time;
  uintmax_t Size = 0;
  std::shared_ptr<const TModelFile> Model;  // null for an assembly
  std::shared_ptr<const std::vector<TPlacedModel>> Assembly;
};

// Kept small: enough for the parts of one import.
constexpr size_t kMaxWrittenParts = 256;

struct TWrittenParts {
  std::mutex Lock;
  std::map<std::string, TWrittenPart> Parts;
  std::deque<std::string> Order;
};

TWrittenParts& Written() {
  // Never destroyed: taking a board of thousands of holes apart at exit is time for nothing.
  static auto* w = new TWrittenParts;
  return *w;
}

std::string PathKey(const std::string& path) {
  std::error_code ec;
  return std::filesystem::weakly_canonical(std::filesystem::path(path), ec).string();
}

void RememberWritten(const std::string& path, std::shared_ptr<const TModelFile> part,
                     std::shared_ptr<const std::vector<TPlacedModel>> assembly = nullptr) {
  std::error_code ec;
  TWrittenPart w{std::filesystem::last_write_time(path, ec), std::filesystem::file_size(path, ec), std::move(part),
                 std::move(assembly)};
  if (ec) return;
  auto& all = Written();
  std::lock_guard g(all.Lock);
  std::string key = PathKey(path);
  if (all.Parts.insert_or_assign(key, std::move(w)).second) all.Order.push_back(key);
  while (all.Order.size() > kMaxWrittenParts) {
    all.Parts.erase(all.Order.front());
    all.Order.pop_front();
  }
}

// The uses of a wire's edges end to end, from one that is no seam; at a seam the walk goes
// on along another edge rather than straight back.
std::vector<TopoDS_Edge> Walk(const TopoDS_Wire& wire, std::map<const void*, int>& uses) {
  std::vector<TopoDS_Edge> rest;
  for (TopoDS_Iterator e(wire); e.More(); e.Next()) rest.push_back(TopoDS::Edge(e.Value()));
  auto first = std::find_if(rest.begin(), rest.end(), [&](auto& e) { return uses[e.TShape().get()] < 2; });
  std::vector<TopoDS_Edge> walk;
  if (first == rest.end()) return rest;
  walk.push_back(*first);
  rest.erase(first);
  while (!rest.empty()) {
    const TopoDS_Vertex at = TopExp::LastVertex(walk.back(), true);
    auto next = rest.end();
    for (auto it = rest.begin(); it != rest.end(); ++it)
      if (TopExp::FirstVertex(*it, true).IsSame(at) && (next == rest.end() || next->IsSame(walk.back()))) next = it;
    if (next == rest.end()) next = rest.begin();
    walk.push_back(*next);
    rest.erase(next);
  }
  return walk;
}

// Where the use of an edge in a face starts or ends in the face's parameter plane.
gp_Pnt2d EndOnFace(const TopoDS_Edge& e, const TopoDS_Face& face, bool start) {
  double a, b;
  Handle(Geom2d_Curve) c = BRep_Tool::CurveOnSurface(e, face, a, b);
  if (c.IsNull()) return gp_Pnt2d(1e300, 1e300);
  return c->Value(start == (e.Orientation() != TopAbs_REVERSED) ? a : b);
}

}  // namespace

void AddMissingPCurves(const TopoDS_Shape& shape) {
  ShapeFix_Edge fix;
  BRep_Builder bb;
  for (TopExp_Explorer f(shape, TopAbs_FACE); f.More(); f.Next()) {
    const TopoDS_Face face = TopoDS::Face(f.Current().Oriented(TopAbs_FORWARD));
    Handle(Geom_Surface) surface = BRep_Tool::Surface(face);
    const double du = surface->IsUPeriodic() ? surface->UPeriod() : 0;
    const double dv = surface->IsVPeriodic() ? surface->VPeriod() : 0;
    for (TopoDS_Iterator w(face); w.More(); w.Next()) {
      std::map<const void*, int> uses;
      for (TopoDS_Iterator e(w.Value()); e.More(); e.Next()) ++uses[e.Value().TShape().get()];
      std::set<const void*> added;
      for (TopoDS_Iterator e(w.Value()); e.More(); e.Next()) {
        const TopoDS_Edge& edge = TopoDS::Edge(e.Value());
        double a, b;
        if (!BRep_Tool::CurveOnSurface(edge, face, a, b).IsNull()) continue;
        fix.FixAddPCurve(edge, face, uses[edge.TShape().get()] > 1);
        added.insert(edge.TShape().get());
      }
      if (added.empty() || (du == 0 && dv == 0)) continue;
      // A projection lands in the first period, and does not know which of a seam's two
      // curves belongs to which of its uses. The walk must close in the parameter plane: each
      // edge moves by whole periods to start where the walk arrives, and each way of
      // assigning the seams' curves is tried.
      std::vector<TopoDS_Edge> walk = Walk(TopoDS::Wire(w.Value()), uses);
      struct TCurves {
        TopoDS_Edge Fwd;
        Handle(Geom2d_Curve) C1, C2;
      };
      std::vector<TCurves> curves;
      for (const TopoDS_Edge& e : walk)
        if (added.count(e.TShape().get()) &&
            std::none_of(curves.begin(), curves.end(), [&](auto& c) { return c.Fwd.TShape() == e.TShape(); })) {
          TCurves c{TopoDS::Edge(e.Oriented(TopAbs_FORWARD)), nullptr, nullptr};
          double a, b;
          c.C1 = BRep_Tool::CurveOnSurface(c.Fwd, face, a, b);
          if (uses[e.TShape().get()] > 1) c.C2 = BRep_Tool::CurveOnSurface(TopoDS::Edge(c.Fwd.Reversed()), face, a, b);
          curves.push_back(c);
        }
      auto put = [&](const TCurves& c, bool swap, const gp_Vec2d& shift) {
        auto moved = [&](const Handle(Geom2d_Curve) & k) {
          return Handle(Geom2d_Curve)::DownCast(k->Translated(shift));
        };
        const double tol = BRep_Tool::Tolerance(c.Fwd);
        if (c.C2.IsNull())
          bb.UpdateEdge(c.Fwd, moved(c.C1), face, tol);
        else
          bb.UpdateEdge(c.Fwd, moved(swap ? c.C2 : c.C1), moved(swap ? c.C1 : c.C2), face, tol);
      };
      auto period = [&](const gp_Pnt2d& from, const gp_Pnt2d& to) {
        return gp_Vec2d(du ? du * std::round((to.X() - from.X()) / du) : 0,
                        dv ? dv * std::round((to.Y() - from.Y()) / dv) : 0);
      };
      std::vector<size_t> seamIndex;
      for (size_t i = 0; i < curves.size(); ++i)
        if (!curves[i].C2.IsNull()) seamIndex.push_back(i);
      auto attempt = [&](unsigned swaps) {
        std::vector<bool> sw(curves.size(), false);
        for (size_t i = 0; i < seamIndex.size(); ++i) sw[seamIndex[i]] = (swaps >> i) & 1;
        for (size_t i = 0; i < curves.size(); ++i) put(curves[i], sw[i], gp_Vec2d(0, 0));
        std::set<const void*> placed;
        for (size_t k = 1; k < walk.size(); ++k) {
          const void* key = walk[k].TShape().get();
          if (!added.count(key) || !placed.insert(key).second) continue;
          gp_Vec2d shift = period(EndOnFace(walk[k], face, true), EndOnFace(walk[k - 1], face, false));
          if (shift.Magnitude() == 0) continue;
          for (size_t i = 0; i < curves.size(); ++i)
            if (curves[i].Fwd.TShape().get() == key) put(curves[i], sw[i], shift);
        }
        double gap = 0;
        for (size_t k = 0; k < walk.size(); ++k)
          gap += EndOnFace(walk[(k + walk.size() - 1) % walk.size()], face, false)
                     .Distance(EndOnFace(walk[k], face, true));
        return gap;
      };
      const unsigned tries = seamIndex.size() <= 3 ? 1u << seamIndex.size() : 1u;
      unsigned best = 0;
      double bestGap = 1e300;
      for (unsigned t = 0; t < tries; ++t)
        if (double g = attempt(t); g < bestGap - 1e-9) {
          bestGap = g;
          best = t;
        }
      if (best != tries - 1) attempt(best);
    }
  }
}

namespace {
// The remembered entry of a file while the file is unchanged.
const TWrittenPart* FindWritten(TWrittenParts& all, const std::string& path) {
  auto it = all.Parts.find(PathKey(path));
  if (it == all.Parts.end()) return nullptr;
  std::error_code ec;
  auto time = std::filesystem::last_write_time(path, ec);
  auto size = std::filesystem::file_size(path, ec);
  if (ec || time != it->second.Time || size != it->second.Size) return nullptr;
  return &it->second;
}
}  // namespace

std::shared_ptr<const TModelFile> FindWrittenPart(const std::string& path) {
  auto& all = Written();
  std::lock_guard g(all.Lock);
  const TWrittenPart* w = FindWritten(all, path);
  return w ? w->Model : nullptr;
}

std::shared_ptr<const std::vector<TPlacedModel>> FindWrittenAssembly(const std::string& path) {
  auto& all = Written();
  std::lock_guard g(all.Lock);
  const TWrittenPart* w = FindWritten(all, path);
  return w ? w->Assembly : nullptr;
}

void ForgetWrittenParts() {
  auto& all = Written();
  std::lock_guard g(all.Lock);
  all.Parts.clear();
  all.Order.clear();
}

void UseTranslatorForWriting(bool translator) { gTranslator = translator; }

void MoveWrittenPart(const std::string& from, const std::string& to) {
  auto& all = Written();
  std::lock_guard g(all.Lock);
  auto it = all.Parts.find(PathKey(from));
  if (it == all.Parts.end()) return;
  TWrittenPart w = std::move(it->second);
  if (w.Model && w.Model->File) w.Model->File->Path = to;
  std::erase(all.Order, it->first);
  all.Parts.erase(it);
  const std::string key = PathKey(to);
  if (all.Parts.insert_or_assign(key, std::move(w)).second) all.Order.push_back(key);
}

std::string WritePartFile(const std::string& path, const TModelFile& part) {
  auto written = std::make_shared<TModelFile>(part);
  std::string why;
  if (!gTranslator) {
    // The text goes out as it is made and is not kept: an assembly copies it from the file.
    auto file = std::make_shared<TWrittenFile>();
    bool ok;
    {
      TTextFile f(path);
      ok = WriteStepPartText(
          part, [&f](std::string_view piece) { f.Write(piece); }, file->Layout, why);
      f.Close();
    }
    if (ok) {
      struct stat st {};
      if (::stat(path.c_str(), &st) == 0) {
        file->Path = path;
        file->Stamp = StampOf(st);
        written->File = std::move(file);
      }
      RememberWritten(path, written);
      return {};
    }
  }
  Exchange().WritePart(path, part);
  written->Step = ParseStepFile(path);
  RememberWritten(path, written);
  return why;
}

namespace {

std::string CurrentPath(const TWrittenFile& file) {
  std::lock_guard g(Written().Lock);
  return file.Path;
}

// The largest of the placed parts whose file this process wrote and is still as written, open
// for copying its data section; none when no such file is left.
class TFirstPart {
 public:
  explicit TFirstPart(const std::vector<TPlacedModel>& placements) {
    std::vector<const TModelFile*> written;
    for (auto& p : placements)
      if (p.Model->File && std::find(written.begin(), written.end(), p.Model.get()) == written.end())
        written.push_back(p.Model.get());
    auto size = [](const TModelFile* m) { return m->File->Layout.DataEnd - m->File->Layout.DataBegin; };
    std::stable_sort(written.begin(), written.end(), [&](auto* a, auto* b) { return size(a) > size(b); });
    for (const TModelFile* m : written)
      if (Open(*m->File)) {
        Model = m;
        break;
      }
  }
  ~TFirstPart() {
    if (Fd >= 0) ::close(Fd);
  }
  TFirstPart(const TFirstPart&) = delete;
  TFirstPart& operator=(const TFirstPart&) = delete;

  const TModelFile* Model = nullptr;
  int Fd = -1;

 private:
  bool Open(const TWrittenFile& file) {
    Fd = ::open(CurrentPath(file).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    const TStepLayout& l = file.Layout;
    char first = 0, end[8] = {};
    // The section still begins with an entity and ends where the file's data section ends.
    const bool same = Fd >= 0 && ::fstat(Fd, &st) == 0 && StampOf(st) == file.Stamp && l.DataBegin < l.DataEnd &&
                      ::pread(Fd, &first, 1, off_t(l.DataBegin)) == 1 && first == '#' &&
                      ::pread(Fd, end, sizeof end, off_t(l.DataEnd)) == sizeof end &&
                      std::string_view(end, sizeof end) == "ENDSEC;\n";
    if (!same && Fd >= 0) {
      ::close(Fd);
      Fd = -1;
    }
    return same;
  }
};

}  // namespace

std::string WriteAssemblyFile(const std::string& path, const std::string& name,
                              const std::vector<TPlacedModel>& placements) {
  std::string why;
  if (!gTranslator) {
    // The text goes out as it is made; the largest part this process wrote goes first, copied
    // from its file, and the others are parsed from theirs.
    bool written;
    {
      TFirstPart first(placements);
      TTextFile f(path);
      TAssemblySources sources;
      if (first.Model) {
        const TStepLayout& l = first.Model->File->Layout;
        sources.First = first.Model;
        sources.FirstLayout = l;
        sources.CopyFirst = [&] { f.Copy(first.Fd, off_t(l.DataBegin), size_t(l.DataEnd - l.DataBegin)); };
      }
      sources.Entities = [](const TModelFile& m) -> std::shared_ptr<const TStepData> {
        return m.File ? ParseStepFile(CurrentPath(*m.File)) : nullptr;
      };
      written = WriteStepAssemblyText(
          name, placements, [&f](std::string_view piece) { f.Write(piece); }, sources, why);
      f.Close();
    }
    if (written) {
      RememberWritten(path, nullptr, std::make_shared<const std::vector<TPlacedModel>>(placements));
      return {};
    }
  }
  Exchange().WriteAssembly(path, name, placements);
  RememberWritten(path, nullptr, std::make_shared<const std::vector<TPlacedModel>>(placements));
  return why;
}

IExchange& Exchange() {
  static IExchange* const exchange =
      NewModuleObject<IExchange>("corvane_exchange.so", "corvane_exchange", kExchangeVersion);
  return *exchange;
}

std::shared_ptr<TModelFile> ReadModelFile(const std::string& path) {
  bool ours = false;
  auto m = Exchange().Read(path, ours);
  if (ours) AddMissingPCurves(m->Shape);
  m->Step = ParseStepFile(path);
  return m;
}

}  // namespace corvane
