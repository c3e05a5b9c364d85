#include "midi/CChannel.h"

#include "midi/MidiQuantiser.h"

CChannel::CChannel() = default;

CChannel::~CChannel() = default;

void CChannel::Reset() {
  sounding_ = 0;
  overlapping_ = 0;
  releaseTime_ = 0;
  ClearHeld();
}

void CChannel::Hold(DWORD t, BYTE key, BYTE velocity) {
  heldNotes_.push_back({t, key, velocity});
  if (heldNotes_.size() == 1 || key > heldNotes_[topIndex_].key) topIndex_ = heldNotes_.size() - 1;
}

void CChannel::ClearHeld() {
  heldNotes_.clear();
  topIndex_ = 0;
}

void CChannel::ChooseTop() {
  if (heldNotes_.empty()) return;
  const HeldNote& top = heldNotes_[topIndex_];
  startTime_ = top.start;
  topPitch_ = top.key;
  topVelocity_ = top.velocity;
}

ImportedNote CChannel::EndCurrent(DWORD t, WORD division) const {
  return MidiQuantiser::Note(topPitch_, MidiQuantiser::Sixteenths(t - startTime_, division));
}

bool CChannel::Press(DWORD t, BYTE key, BYTE velocity, WORD division, ImportedNote& out) {
  const DWORD sixteenth = division / 4;
  if (!sounding_ || heldNotes_.empty()) {
    bool rest = releaseTime_ != 0 && MidiQuantiser::Rest(MidiQuantiser::Sixteenths(t - releaseTime_, division), out);
    sounding_ = 1;
    overlapping_ = 0;
    ClearHeld();
    Hold(t, key, velocity);
    return rest;
  }
  if (t - heldNotes_.front().start < sixteenth) {
    Hold(t, key, velocity);  // part of the same chord
    return false;
  }
  if (!overlapping_) {
    ChooseTop();
    overlapping_ = 1;
  } else if (t - startTime_ >= 4u * division + sixteenth) {
    // The current note has lasted long enough: the newer notes take over.
    ChooseTop();
  }
  ClearHeld();
  Hold(t, key, velocity);
  return false;
}

bool CChannel::Release(DWORD t, BYTE key, WORD division, ImportedNote& out) {
  if (!sounding_) return false;
  const DWORD sixteenth = division / 4;
  if (!overlapping_) {
    ChooseTop();
    if (key != topPitch_) return false;
    ClearHeld();
    sounding_ = 0;
    releaseTime_ = t;
    out = EndCurrent(t, division);
    return true;
  }
  if (key != topPitch_) return false;
  out = EndCurrent(t, division);
  if (!heldNotes_.empty() && t - heldNotes_.front().start < sixteenth) {
    // The older note ended just after the newer ones began: they go on as
    // the sounding chord.
    overlapping_ = 0;
  } else {
    ClearHeld();
    sounding_ = 0;
    releaseTime_ = t;
  }
  return true;
}
