// The query engine that a collection or item works through, together with the
// configuration object that owns the engine. The binding holds a reference to
// that object, so the engine cannot go away while the binding lasts.
#pragma once
#include "platform/unknown.h"

class tSqlQueryEngine;

class EngineBinding {
 public:
  EngineBinding() = default;
  EngineBinding(const EngineBinding&) = delete;
  EngineBinding& operator=(const EngineBinding&) = delete;
  ~EngineBinding() {
    if (owner_) owner_->Release();
  }

  void Bind(tSqlQueryEngine* engine, IUnknown* owner) {
    if (owner) owner->AddRef();
    if (owner_) owner_->Release();
    engine_ = engine;
    owner_ = owner;
  }
  tSqlQueryEngine* Engine() const { return engine_; }
  IUnknown* Owner() const { return owner_; }

 private:
  tSqlQueryEngine* engine_ = nullptr;
  IUnknown* owner_ = nullptr;
};
