#include "params/tarn_program.h"

#include "params/parameter_model.h"

TarnProgramBasic::TarnProgramBasic() {
  for (gw::ParamValue& value : values_) value.store(0.0f, std::memory_order_relaxed);
}

int TarnProgramBasic::setValue(int index, float value) {
  if (gw::isParameterIndex(index)) values_[index].store(value, std::memory_order_relaxed);
  return index;
}

float TarnProgramBasic::getValue(int index) const {
  if (!gw::isParameterIndex(index)) return 0.0f;
  return values_[index].load(std::memory_order_relaxed);
}

void TarnProgramBasic::setName(const char* name) {
  if (name == nullptr) return;
  gw::copyText(name_, name, kNameSize - 1);  // longer names keep their first 31 characters
}
