#pragma once
// The settings as the main window holds them: one state per control.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "setting.h"

namespace zorbel::settings {

struct ControlState {
  std::string text;      // edit boxes: 8-bit bytes, verbatim
  int index = -1;        // combo boxes: selected item, -1 for none
  bool checked = false;  // check boxes
  bool enabled = true;

  bool operator==(const ControlState&) const = default;
};

class SettingsModel {
 public:
  // The start-up state, with the clock edits filled from `now` as UTC.
  explicit SettingsModel(std::time_t now = std::time(nullptr));

  // The position in allSettings() of the control with that exact name; an
  // UnknownSetting error for a name no setting has.
  static Result<std::size_t> find(std::string_view name);

  // Lookups by a control name the program itself spells. A name no setting
  // has is a programming error that ends the program (programming_error.h);
  // find() checks a name that came from a user or a file.
  const ControlState& state(std::string_view name) const;
  const std::string& text(std::string_view name) const { return state(name).text; }
  int index(std::string_view name) const { return state(name).index; }
  bool checked(std::string_view name) const { return state(name).checked; }
  bool enabled(std::string_view name) const { return state(name).enabled; }

  // By position in allSettings().
  const ControlState& at(std::size_t i) const { return states_.at(i); }
  // Setters by position in allSettings(), under the same rules as those by name.
  void setTextAt(std::size_t i, std::string text);
  void setIndexAt(std::size_t i, int index);
  void setCheckedAt(std::size_t i, bool checked);

  // The setters take a name from a user or a file too: they change nothing
  // and give an UnknownSetting error for a name no setting has.
  // A text set by program is taken whole, whatever the edit box's limit; the
  // encoder refuses one its field would cut (field_capacity.h).
  Result<void> setText(std::string_view name, std::string text);
  // An index outside the item list leaves no item selected.
  Result<void> setIndex(std::string_view name, int index);
  // Sets the box only; click() also runs its click behaviour.
  Result<void> setChecked(std::string_view name, bool checked);
  // What a user's click to this state does: Uploadpctime and Ntp_enable also
  // run enableClockEditsUnlessPcTime().
  Result<void> click(std::string_view name, bool checked);

  // Writes the PC clock, as UTC, into the five clock edits.
  void fillRtcFromPcClock(std::time_t now = std::time(nullptr));
  // Disables the five clock edits when Uploadpctime is checked, else enables them.
  void enableClockEditsUnlessPcTime();
  // "Default parameters" of analog channel 1..5 and digital channel 1..8.
  void analogChannelDefaults(int channel);
  void digitalChannelDefaults(int channel);

  bool operator==(const SettingsModel& other) const;

 private:
  // The state of a control the model itself names.
  ControlState& own(std::string_view name);
  // The state at position `i` of allSettings(); a position past them is a
  // programming error.
  ControlState& stateAt(std::size_t i);
  std::vector<ControlState> states_;
};

// Whether `index` names an item of `setting`'s list.
bool isItem(const Setting& setting, int index);

}  // namespace zorbel::settings
