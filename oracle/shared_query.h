// The main window's shared query for short statements, or, where the program runs
// without a main window (tools, tests), a query of the caller's own for the time of the
// call.
#pragma once

#include <memory>

#include "oracle/query.h"
#include "services/services.h"

namespace tess {

class TySharedQuery {
 public:
  TySharedQuery() : query_(GetMainFormQuery()) {
    if (query_ == nullptr) {
      own_ = std::make_unique<TyQuery>();
      query_ = own_.get();
    }
  }
  TySharedQuery(const TySharedQuery&) = delete;
  TySharedQuery& operator=(const TySharedQuery&) = delete;

  TyQuery* Query() const { return query_; }

 private:
  TyQuery* query_;
  std::unique_ptr<TyQuery> own_;
};

}  // namespace tess
