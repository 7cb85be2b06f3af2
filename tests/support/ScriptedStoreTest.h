#pragma once
// A test with the scripted platform in force and an in-memory settings store under the program's
// key; the platform before it and the decimal separator come back afterwards.
#include <gtest/gtest.h>

#include <memory>

#include "CommonObjects/GetRegInfoExt.h"
#include "platform/Platform.h"
#include "platform/ScriptedPlatform.h"

class ScriptedStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scripted = std::make_shared<platform::TScriptedPlatform>();
    saved = platform::SetServices(scripted);
    medium = std::make_shared<TRegistryMemoryMedium>();
    store = std::make_unique<TGetInfoFromRegistry>(medium);
    store->SetKey("Corvane\\IDF");
  }
  void TearDown() override { platform::SetServices(saved); }

  std::shared_ptr<platform::TScriptedPlatform> scripted;
  std::shared_ptr<platform::IPlatform> saved;
  std::shared_ptr<TRegistryMemoryMedium> medium;
  std::unique_ptr<TGetInfoFromRegistry> store;
  platform::TDecimalSeparatorGuard separatorGuard;
};
