// The host's MIDI input and output ports on the ALSA sequencer, virtual
// ports of its own included.

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "IFxStandalone.h"
#include "app_main.h"

RtMidiIn* gMidiIn = nullptr;
RtMidiOut* gMidiOut = nullptr;
std::vector<std::string> gMIDIInputDevNames;
std::vector<std::string> gMIDIOutputDevNames;

namespace {

const char kSequencerDevice[] = "/dev/snd/seq";

int PortNumber(const std::vector<std::string>& names, const char* name) {
  if (!name) return -1;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

// Opens the chosen port of one side. Without its object, or when its ports
// were never listed, MIDI is unavailable: the saved name is kept as it is.
template <class Port>
bool Choose(Port* port, const std::vector<std::string>& names, const char* name,
            char (&savedName)[100], const char* virtualName, const char* portName) {
  if (!port || names.empty()) return false;
  int number = PortNumber(names, name);
  if (number < 0) {
    SetAppStateText(savedName, "off");
    UpdateINI();
    number = 0;
  }
  try {
    port->closePort();
    if (number == 1)
      port->openVirtualPort(virtualName);
    else if (number >= 2)
      port->openPort(static_cast<unsigned int>(number - 2), portName);
  } catch (const RtMidiError& e) {
    e.printMessage();
    return false;
  }
  return true;
}

}  // namespace

bool InitialiseMidi(std::string* why) {
  // Without the sequencer device every attempt below would fail, each with
  // lines of errors from the libraries: look first.
  const int fd = open(kSequencerDevice, O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (why) *why = std::string("no ALSA sequencer: ") + kSequencerDevice + ": " + strerror(errno);
    return false;
  }
  close(fd);
  std::string error;
  try {
    gMidiIn = new RtMidiIn(RtMidi::LINUX_ALSA, "RtMidi Input Client");
    gMidiIn->setCallback(MIDICallback, nullptr);
    gMidiIn->ignoreTypes(true, true, true);
  } catch (const RtMidiError& e) {
    error = e.getMessage();
  }
  try {
    gMidiOut = new RtMidiOut(RtMidi::LINUX_ALSA, "RtMidi Output Client");
  } catch (const RtMidiError& e) {
    if (error.empty()) error = e.getMessage();
  }
  if (why) *why = error;
  return error.empty();
}

void ProbeMidiIO() {
  if (!gMidiIn || !gMidiOut) return;
  gMIDIInputDevNames = {"off", "virtual input"};
  gMIDIOutputDevNames = {"off", "virtual output"};
  try {
    for (unsigned int i = 0; i < gMidiIn->getPortCount(); ++i)
      gMIDIInputDevNames.push_back(gMidiIn->getPortName(i));
    for (unsigned int i = 0; i < gMidiOut->getPortCount(); ++i)
      gMIDIOutputDevNames.push_back(gMidiOut->getPortName(i));
  } catch (const RtMidiError& e) {
    e.printMessage();
  }
}

int GetMIDIInPortNumber(const char* name) { return PortNumber(gMIDIInputDevNames, name); }

int GetMIDIOutPortNumber(const char* name) { return PortNumber(gMIDIOutputDevNames, name); }

bool ChooseMidiInput(const char* name) {
  if (!gState) return false;
  return Choose(gMidiIn, gMIDIInputDevNames, name, gState->mMidiInDev, "To " APP_PRODUCT_NAME,
                "RtMidi Input");
}

bool ChooseMidiOutput(const char* name) {
  if (!gState) return false;
  return Choose(gMidiOut, gMIDIOutputDevNames, name, gState->mMidiOutDev,
                "From " APP_PRODUCT_NAME, "RtMidi Output");
}

void MIDICallback(double, std::vector<unsigned char>* message, void*) {
  if (!message || message->empty()) return;
  const size_t size = message->size();
  if (size > 3) {
    printf("NOT EXPECTING %d midi callback msg len\n", static_cast<int>(size));
    return;
  }
  IMidiMsg msg(0, (*message)[0], size > 1 ? (*message)[1] : 0, size > 2 ? (*message)[2] : 0);
  const unsigned int channel = gState ? __atomic_load_n(&gState->mMidiInChan, __ATOMIC_RELAXED) : 0;
  if (channel && channel != static_cast<unsigned int>(msg.Channel() + 1)) return;
  if (gPluginInstance) gPluginInstance->ProcessMidiMsg(&msg);
}

void ShutDownMidi() {
  if (gMidiIn) {
    gMidiIn->cancelCallback();
    gMidiIn->closePort();
  }
  if (gMidiOut) gMidiOut->closePort();
}
