#pragma once
// Time stamps of an import run and their "h:m:s" texts.
#include <functional>
#include <string>

// Current time of day as a fraction of a day.
double TimeOfDayNow();
// Whole hours, minutes and seconds without leading zeros ("0:2:5"). A run that passed
// midnight has a negative difference of time-of-day stamps; it counts a day more.
std::string FormatDayFraction(double days);

class TIdfTimes {
 public:
  std::function<double()> Clock = TimeOfDayNow;
  void SetTime(bool Start) { (Start ? FTimeStart : FTimeFinish) = Clock(); }
  std::string GetElapsedTime() const { return "Time elapsed : " + FormatDayFraction(FTimeFinish - FTimeStart); }
  void SetProgressTime(bool Start) { (Start ? FProgressTimeStart : FProgressTimeFinish) = Clock(); }
  std::string GetProgressTime() const { return FormatDayFraction(FProgressTimeFinish - FProgressTimeStart); }

  double FTimeStart = 0, FTimeFinish = 0, FProgressTimeStart = 0, FProgressTimeFinish = 0;
};
