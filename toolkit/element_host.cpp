#include "toolkit/element_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "toolkit/group.h"

namespace gw {

ParameterDisplayRecord makeDisplayRecord(ParameterPort& port, int index) {
  const EditorParameterInfo info = port.parameterInfo(index);
  ParameterDisplayRecord record;
  record.index = index;
  std::strncpy(record.name, info.name != nullptr ? info.name : "", sizeof record.name - 1);
  record.unit = info.unit;
  record.minimum = info.minimum;
  record.maximum = info.maximum;
  record.defaultValue = info.defaultValue;
  record.effect = &port;
  return record;
}

namespace {

std::array<ParameterDisplayRecord, kParameterCount> makeRecords(ParameterPort& port) {
  std::array<ParameterDisplayRecord, kParameterCount> records;
  for (int i = 0; i < kParameterCount; ++i) records[i] = makeDisplayRecord(port, i);
  return records;
}

}  // namespace

ElementHost::ElementHost(ParameterPort& port, PendingChanges& pending)
    : port_(port), records_(makeRecords(port)), dispatcher_(port, records_.data(), pending) {
  root_ = &create<TW::Group>();
}

ElementHost::~ElementHost() = default;

void ElementHost::requireTreeOpen(const char* what) const {
  if (!treeFrozen()) return;
  std::fprintf(stderr, "editor tree changed after the render thread started: %s\n", what);
  std::abort();
}

}  // namespace gw
