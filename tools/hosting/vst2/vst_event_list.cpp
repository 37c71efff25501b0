#include "tools/hosting/vst2/vst_event_list.h"

#include <algorithm>
#include <cstddef>

namespace {

// Words of VstEvents before its pointer array: numEvents (padded to a word) and reserved.
constexpr size_t kHeaderWords = offsetof(VstEvents, events) / sizeof(VstIntPtr);
static_assert(offsetof(VstEvents, events) % sizeof(VstIntPtr) == 0, "the pointer array starts on a word");

}  // namespace

void VstEventList::fill(const ScheduledEvent* first, const ScheduledEvent* last, int64_t blockStart) {
  const size_t count = static_cast<size_t>(last - first);
  if (records_.size() < count) {
    records_.resize(count);
    storage_.resize(kHeaderWords + std::max<size_t>(count, 2));  // the declared array has two entries
  }
  for (size_t i = 0; i < count; ++i) {
    const ScheduledEvent& source = first[i];
    VstMidiEvent& record = records_[i];
    record = VstMidiEvent{};
    record.type = kVstMidiType;
    record.byteSize = sizeof(VstMidiEvent);
    record.deltaFrames = static_cast<VstInt32>(source.frame - blockStart);
    for (int byte = 0; byte < source.size; ++byte) record.midiData[byte] = static_cast<char>(source.bytes[byte]);
    storage_[kHeaderWords + i] = reinterpret_cast<VstIntPtr>(&record);
  }
  VstEvents* events = list();
  events->numEvents = static_cast<VstInt32>(count);
  events->reserved = 0;
}
