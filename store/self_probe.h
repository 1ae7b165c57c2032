// The validity probe of store nodes, which carry their own address in a `self`
// field. Without structured exceptions a stale node cannot be probed safely; a
// node whose self field no longer names it is treated as the faulting case.
#pragma once
#include "platform/trace.h"

template <typename Node>
bool ProbeSelf(Node* node, const char* faultMessage) {
  if (node && node->self == node) {
    volatile Node* probe = node->self;
    node->self = const_cast<Node*>(probe);
    return true;
  }
  DebugTrace("%s", faultMessage);
  return false;
}
