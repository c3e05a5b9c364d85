#include "MelodyPlayer.h"

#include "ComSession.h"
#include "Interrupt.h"
#include "ProgressBar.h"
#include "ToolError.h"
#include "common/ComErrorU.h"
#include "platform/Kernel.h"

namespace {

constexpr UINT kProgressMessage = WM_APP + 1;
constexpr DWORD kPollMs = 100;

}  // namespace

MelodyPlayer::MelodyPlayer(ComSession& session) : sample_(session.NewEditorSample()) {
  if (queue_.Window() == nullptr) throw ToolError::Failed("no message queue for playback progress");
}

bool MelodyPlayer::Play(IMelody* melody, ProgressBar* bar) {
  LONG count = 0;
  if (FAILED(melody->GetCount(&count))) throw ToolError::Failed("a melody object cannot be read");
  MessageQueue::Message stale{};
  while (queue_.Peek(&stale)) {
  }
  if (FAILED(melody->Play(0, sample_.get(), queue_.Window(), kProgressMessage))) {
    const std::u16string text = ComErrorU::Description(melody, IID_IMelody);
    throw ToolError::Failed(text.empty() ? std::u16string(u"the melody cannot be played") : text);
  }
  // The melody posts each note's index as it starts and count at the end;
  // a stopped or empty melody posts nothing more, so its thread's end is
  // watched too.
  const auto show = [&](const MessageQueue::Message& message) {
    if (message.message == kProgressMessage && bar && count > 0)
      bar->Set(static_cast<int>(static_cast<LONG>(message.wParam) * 100 / count));
  };
  bool stopping = false;
  for (;;) {
    if (Interrupt::Requested() && !stopping) {
      melody->Stop();
      stopping = true;
    }
    MessageQueue::Message message{};
    if (queue_.Get(&message, kPollMs)) {
      show(message);
      if (message.message == kProgressMessage && static_cast<LONG>(message.wParam) >= count) break;
      continue;
    }
    SHORT playing = 0;
    if (FAILED(melody->IsPlaying(&playing)) || playing == 0) {
      // The thread has ended: take what it posted last.
      while (queue_.Peek(&message)) show(message);
      break;
    }
  }
  // The thread may still be finishing after its last message.
  SHORT playing = 1;
  while (SUCCEEDED(melody->IsPlaying(&playing)) && playing != 0) Sleep(10);
  return !stopping;
}
