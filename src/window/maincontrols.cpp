#include "window/maincontrols.h"

namespace dynlog::mainwindow {
namespace {

using Align = ui::LabelStyle::Align;
using VAlign = ui::LabelStyle::VAlign;

constexpr ui::LabelStyle kLamp{.background = kDark};
constexpr ui::LabelStyle kCenteredLamp{.align = Align::Center, .background = kDark};
constexpr ui::LabelStyle kStatus{.textColour = kStatusText, .ellipsis = true};

MainControls MakeTable() {
  MainControls t;
  t.einstellung = {0, 0, 105, 25, "Einstellung"};
  t.start = {105, 0, 49, 25, "Start", "KM470-Daten anfordern"};
  t.stop = {154, 0, 49, 25, "Stop", "KM470-Übertragung beenden"};
  t.speichern = {203, 0, 98, 25, "Speichern"};
  t.info = {302, 0, 49, 25, "info"};
  t.wholeTest = {352,
                 0,
                 84,
                 25,
                 "Ganzer Test",
                 "Nach Stop den ganzen Test von Start bis Stop zeigen. Im Diagramm ziehen "
                 "vergrößert einen Zeitbereich, Doppelklick oder Esc zeigt wieder alles."};
  t.pruefung = {2,
                62,
                58,
                18,
                "Prüfung…",
                "Krafteinheit, Prüfling, Prüfer, Auftrag, Bemerkung und die Grenzen des "
                "Maximums für die nächsten Tests"};
  t.reihe = {63,
             62,
             64,
             18,
             "Prüfreihe…",
             "Einen Ordner für eine Prüfreihe wählen: jeder Test wird bei Stop von selbst dort "
             "gespeichert, die Reihentabelle zeigt alle Tests der Reihe"};
  t.oeffnen = {130,
               62,
               50,
               18,
               "Öffnen…",
               "Gespeicherte Tests (Textdatei, CSV) im ganzen Test zeigen, auch durch Ziehen auf "
               "das Fenster. Mehrere Dateien oder Strg: Kurven übereinander; ein Klick in der "
               "Legende macht eine Kurve zur Referenz."};
  t.bild = {183,
            62,
            34,
            18,
            "Bild",
            "Das Diagramm des gezeigten Tests in die Zwischenablage (Bild und Metafile) und als "
            "PNG-Datei"};
  t.bericht = {183,
               82,
               56,
               18,
               "Bericht…",
               "Eine Seite A4 über den gezeigten Test: Kopf, Diagramm, Ergebnisse, Grenzen und "
               "Urteil, gedruckt oder als PNG-Datei"};
  t.bedingungen = {2, 82, 80, 18, "Bedingungen…"};
  t.nullen = {85, 82, 44, 18, "Nullen"};
  t.nullAus = {132, 82, 48, 18, "Null aus"};
  t.lamps[0] = {{2, 28, 80, 14, "  Grenzwert 1  ", "leuchtet wenn Grenzwert 1 überschritten"},
                kLamp};
  t.lamps[1] = {{88, 28, 80, 14, "  Grenzwert 2  ", "leuchtet wenn Grenzwert 2 überschritten"},
                kLamp};
  t.lamps[2] = {{174, 28, 40, 14, " Brutto ", "leuchtet wenn Bruttowert angezeigt wird"},
                kCenteredLamp};
  t.lamps[3] = {{174, 44, 35, 14, " Netto ", "leuchtet wenn Nettowert angezeigt wird"},
                kCenteredLamp};
  t.lamps[4] = {{2, 46, 95, 14, "  Unter- Überlast  ",
                 "leuchtet wenn die eingestellten Über- oder Unterlastgrenzen überschritten sind"},
                kLamp};
  t.lamps[5] = {{102, 46, 66, 14, "  T-Eingang  ", "leuchtet wenn Triggereingang HIGH (>12Volt)"},
                kLamp};
  t.value = {{366, 32, 67, 56, "0,0"}, {.align = Align::Right, .textColour = kValueGrey}};
  t.axisName = {{2, 80, 8, 16, "F"}, {}};
  t.status = {{0, 0, 0, kStatusHeight, ""}, kStatus};
  t.connection = {{0, 0, 0, kStatusHeight, ""}, {.align = Align::Right, .textColour = kStatusText}};
  t.unit = {{433, 32, 1, 56, ""},
            {.textColour = kValueGrey, .background = kValuePanel, .valign = VAlign::Bottom}};
  t.verdict = {{0, 0, 1, 1, ""},
               {.align = Align::Center,
                .textColour = kValueWhite,
                .background = kPassColour,
                .valign = VAlign::Middle}};
  t.reason = {{0, 0, 1, 1, ""},
              {.align = Align::Center,
               .textColour = kStatusText,
               .ellipsis = true,
               .valign = VAlign::Middle}};
  t.peak = {{0, 0, 1, 1, ""},
            {.align = Align::Right, .textColour = kStatusText, .valign = VAlign::Middle}};
  t.end = {{0, 0, 0, kStatusHeight, ""}, kStatus};
  return t;
}

} // namespace

ui::FormStyle MainStyle() {
  ui::FormStyle s;
  s.caption = "KM470/PT615 Signal";
  s.width = 450;
  s.height = 340;
  // Nothing is cut at this size: the top row of buttons, the value display, the chart and the two
  // lines of text below it.
  s.minWidth = 450;
  s.minHeight = 340;
  s.sizeable = true;
  s.minMaxBoxes = true;
  s.fontFace = L"System";
  s.fontHeight = 13;
  s.ownDc = true; // the chart and its axes are drawn ten times a second
  return s;
}

const MainControls& MainControlTable() {
  static const MainControls table = MakeTable();
  return table;
}

ui::LabelStyle Styled(const LabelEntry& entry, HFONT font) {
  ui::LabelStyle style = entry.style;
  style.font = font;
  return style;
}

} // namespace dynlog::mainwindow
