#include "clap/event_output.h"

clap_event_header_t EventOutput::header(uint32_t size, uint16_t type, uint32_t frame) {
  return clap_event_header_t{size, frame, CLAP_CORE_EVENT_SPACE_ID, type, 0};
}

void EventOutput::push(const clap_event_header_t& event) const {
  if (list && list->try_push) list->try_push(list, &event);
}

void EventOutput::noteEnd(const NoteAddress& note, uint32_t frame) const {
  const clap_event_note_t event{header(sizeof(clap_event_note_t), CLAP_EVENT_NOTE_END, frame),
                                note.noteId, note.port, note.channel, note.key, 0.0};
  push(event.header);
}

void EventOutput::gesture(clap_id parameter, double value, uint32_t frame) const {
  const clap_event_param_gesture_t begin{
      header(sizeof(clap_event_param_gesture_t), CLAP_EVENT_PARAM_GESTURE_BEGIN, frame), parameter};
  push(begin.header);
  const clap_event_param_value_t change{header(sizeof(clap_event_param_value_t), CLAP_EVENT_PARAM_VALUE, frame),
                                        parameter, nullptr, -1, -1, -1, -1, value};
  push(change.header);
  const clap_event_param_gesture_t end{
      header(sizeof(clap_event_param_gesture_t), CLAP_EVENT_PARAM_GESTURE_END, frame), parameter};
  push(end.header);
}
