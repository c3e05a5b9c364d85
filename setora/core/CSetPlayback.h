// The set editor's playback state: which melody plays, started, watched and
// stopped through the document thread.
#pragma once

#include <chrono>

#include "SetDocClient.h"

class CSetPlayback {
 public:
  // The longest Stop waits for the melody to fall silent; the playing state
  // stays (and the watch goes on) for one that takes longer.
  static constexpr std::chrono::milliseconds kStopWait{10000};
  // How often Stop asks whether the melody has fallen silent.
  static constexpr std::chrono::milliseconds kStopPoll{50};

  explicit CSetPlayback(const SetDocClient& doc) : doc_(doc) {}

  // Starts melody index. false when it did not start; error holds the text
  // to show, or stays empty when there is nothing to tell.
  bool Start(int index, CStringU& error);
  // One watch tick. Returns true when the melody was playing and has now
  // ended (the playing state is over then).
  bool Poll();
  // Stops the melody and waits up to wait for silence. Returns true when
  // the playing state is over (or there was none); false when the melody
  // still sounds after wait.
  bool Stop(std::chrono::milliseconds wait = kStopWait);

  bool IsPlaying() const { return index_ >= 0; }
  // The playing melody; -1 when none plays.
  int Index() const { return index_; }

 private:
  SetDocClient doc_;
  int index_ = -1;
};
