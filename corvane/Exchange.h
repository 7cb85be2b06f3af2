// OpenCASCADE's STEP translator, in a module of its own (corvane_exchange.so): its toolkits cost
// the start-up more than all the rest of the program, and a plain import never needs them.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "corvane/StepFiles.h"

namespace corvane {

// Changed with this interface or the types it passes; a module of another version is refused.
constexpr int kExchangeVersion = 1;

class IExchange {
 public:
  virtual ~IExchange() = default;
  // Each raises ECVHostError, or lets OpenCASCADE's failures through, as the translator fails.
  virtual void WritePart(const std::string& path, const TModelFile& part) = 0;
  virtual void WriteAssembly(const std::string& path, const std::string& name,
                             const std::vector<TPlacedModel>& placements) = 0;
  // The file's model without its entities; ours tells a file this host wrote, read without
  // shape healing and so without the curves its faces lack.
  virtual std::shared_ptr<TModelFile> Read(const std::string& path, bool& ours) = 0;
};

// Loaded the first time; raises ECVHostError when the module cannot be loaded.
IExchange& Exchange();

}  // namespace corvane

extern "C" corvane::IExchange* corvane_exchange(int version);
