// Public interfaces of the Chimox component server: the doorbell device in
// its two memory versions. A client creates one bell object ("Chimox.Bell")
// through the component runtime and asks it for the interface of the device
// version it talks to.
//
// ReadInfo, AddMelody and ReadMelody run on a worker thread of the object.
// Their result says only whether the operation began; progress and outcome
// arrive as messages posted to the caller's NotifyTarget: the low 16 bits of
// the first parameter hold the operation (BELL_OP_*), the high 16 bits the
// percent reached, the second parameter is 0 or an error code (BELL_ERR_*).
// A message with 100 % and code 0 is the successful end; after an error
// message no further message follows. The BellInfo and NotifyTarget records
// stay owned by the caller and must live until the operation's last message;
// the caller must not read the BellInfo for meaning before then.
//
// Refusals return E_FAIL with a Russian description installed as the calling
// thread's error information. Every operation holds the bell's port for its
// length; while another program (or bell object) holds it, the operation is
// refused at once with "Порт звонка занят другой программой\n".
#pragma once

#include "platform/Com.h"
#include "sonvox/Sonvox.h"

// The device status record. Sizes are counted in note symbols: one per note
// or rest, one per melody terminator.
struct BellInfo {
  LONG capacity;       // 256 (version 2.0); 7160, 15352 or 31736 (version 2.9)
  LONG melodyCount;    // melodies stored
  LONG usedSymbols;    // symbols in use, terminators included; where the next melody goes
  LONG currentMelody;  // 1-based number of the melody the bell plays next
  BYTE selectionMode;  // BELL_MODE_*
  BYTE headerByte;     // one device header byte, reported unchanged
};

// Where a worker operation posts its messages.
struct NotifyTarget {
  UINT message;
  HWND window;
};

// Selection modes of BellInfo::selectionMode.
constexpr BYTE BELL_MODE_UNKNOWN = 0;
constexpr BYTE BELL_MODE_SEQUENTIAL = 1;
constexpr BYTE BELL_MODE_MANUAL = 2;
constexpr BYTE BELL_MODE_RANDOM = 3;  // version 2.9 only

// Operations in the low word of a message's first parameter.
constexpr WORD BELL_OP_READ_INFO = 1;
constexpr WORD BELL_OP_ADD_MELODY = 2;
constexpr WORD BELL_OP_READ_MELODY = 3;

// Error codes in a message's second parameter.
constexpr LPARAM BELL_ERR_NONE = 0;
constexpr LPARAM BELL_ERR_TRANSFER = 1;   // a bus transfer failed (or the version 2.9 size probe)
constexpr LPARAM BELL_ERR_REFUSED = 2;    // does not fit, too many melodies, wrong capacity, number above the count
constexpr LPARAM BELL_ERR_COINIT = 3;     // the worker could not initialise the component runtime
constexpr LPARAM BELL_ERR_CANCELLED = 4;  // cancelled at a progress point
constexpr LPARAM BELL_ERR_NOMEMORY = 5;   // a work buffer could not be allocated
// ReadInfo only: the memory holds melodies its header or directory no longer
// describes consistently. The record then shows no melodies and no free
// space, so nothing is appended over them; ClearSet starts a new set.
constexpr LPARAM BELL_ERR_DAMAGED = 6;

class IBell : public IUnknown {
 public:
  // *busy = 1 while a worker operation runs, else 0. Always succeeds.
  STDMETHOD(IsBusy)(SHORT* busy) = 0;
  // Asks the running operation to stop at its next progress point (error 4).
  // Without a running operation it has no effect on the next one. Always succeeds.
  STDMETHOD(Cancel)() = 0;
};

// The six operations of both versions. Worker operations return E_FAIL
// ("Звонок занят операцией ввода-вывода\n") while another one runs and
// E_HANDLE when the worker cannot be started. The synchronous ones return
// E_FAIL with "Звонок занят операцией ввода-вывода\n" while a worker runs, or
// "Ошибка ввода-вывода при обмене со звонком" when a transfer failed.
class IBell_ver2_0 : public IUnknown {
 public:
  // Fills every field of *info.
  STDMETHOD(ReadInfo)(BellInfo* info, NotifyTarget* target) = 0;
  // Appends the melody at info->usedSymbols and updates *info.
  STDMETHOD(AddMelody)(IMelody* melody, BellInfo* info, NotifyTarget* target) = 0;
  // Appends the notes of melody number (1-based) to the given melody.
  STDMETHOD(ReadMelody)(IMelody* melody, LONG number, BellInfo* info, NotifyTarget* target) = 0;
  // Empties the set; melodyCount and usedSymbols become 0.
  STDMETHOD(ClearSet)(BellInfo* info) = 0;
  // Stores info->selectionMode (sequential for anything but manual).
  STDMETHOD(SetSelectionMode)(BellInfo* info) = 0;
  // Stores info->currentMelody; E_FAIL with "Номер текущей мелодии больше
  // количества мелодий" when it is above info->melodyCount.
  STDMETHOD(SetCurrentMelody)(BellInfo* info) = 0;
};

class IBell_ver2_9 : public IUnknown {
 public:
  STDMETHOD(ReadInfo)(BellInfo* info, NotifyTarget* target) = 0;
  // defer nonzero leaves the stored melody count as it was: the melody
  // becomes visible to the bell with a later append whose defer is 0.
  STDMETHOD(AddMelody)(IMelody* melody, BellInfo* info, NotifyTarget* target, SHORT defer) = 0;
  STDMETHOD(ReadMelody)(IMelody* melody, LONG number, BellInfo* info, NotifyTarget* target) = 0;
  STDMETHOD(ClearSet)(BellInfo* info) = 0;
  // Stores info->selectionMode (random for anything but sequential and manual).
  STDMETHOD(SetSelectionMode)(BellInfo* info) = 0;
  // As version 2.0, and also E_FAIL with "Номер текущей мелодии должен быть
  // не меньше 1" for a number below 1 while the set has melodies (below 0
  // for an empty set, which names none).
  STDMETHOD(SetCurrentMelody)(BellInfo* info) = 0;
};

// Memory dumps as text (hexadecimal bytes, sixteen to a line with their
// offsets). The client must not call them while a worker operation runs.
// E_FAIL when the file cannot be created or a transfer fails (a partly
// written file stays); DumpVer2_9 also when the memory size cannot be
// probed, and E_OUTOFMEMORY when no buffer can be had.
class IChimoxice : public IUnknown {
 public:
  STDMETHOD(DumpVer2_0)(LPCOLESTR path) = 0;
  STDMETHOD(DumpVer2_9)(LPCOLESTR path) = 0;
};

constexpr CLSID CLSID_Bell = {0xA1993156, 0xEADE, 0x4C74, {0x97, 0x53, 0x73, 0xD0, 0x49, 0x23, 0x8B, 0x9C}};
constexpr IID IID_IBell = {0xD11B3F42, 0x3FB1, 0x49C0, {0x90, 0xF3, 0x01, 0xED, 0x25, 0xFA, 0x19, 0x57}};
constexpr IID IID_IBell_ver2_0 = {0x3522B47C, 0x82BC, 0x4D25, {0xBC, 0xC0, 0x74, 0xF8, 0x3A, 0x37, 0xD2, 0x8A}};
constexpr IID IID_IBell_ver2_9 = {0xEFE41CE9, 0x2D8C, 0x4B81, {0xAD, 0x96, 0x9F, 0x8F, 0x81, 0x45, 0x83, 0xE0}};
constexpr IID IID_IChimoxice = {0xE4527724, 0x4775, 0x40CB, {0x82, 0xA3, 0x05, 0x77, 0x70, 0xDD, 0x54, 0xFE}};

// The module's file name in the program folder.
constexpr const char* CHIMOX_MODULE = "libchimox.so";
