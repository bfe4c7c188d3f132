#include "menu/help.h"

#include <array>
#include <string_view>

#include "context/context.h"

namespace kehrwix {
namespace {

// Page 1 starts on row 2; every text is printed from column 1 with its leading blanks.
constexpr std::array<std::string_view, 19> kPage1{
    "          Temp-Dateien  Kehrwix 2.2",
    "",
    " Fegwix.exe löscht ohne rücksicht jedes eingegebene verzeichniss. Es",
    " findet alle 'Temp,Tmp,Cookies,Cache,Temporary Internet Files,Verlauf,Recent'",
    " Verzeichnisse - die normalerweise leer sein sollten wenn nicht gerade",
    " ein Programm läuft. Diese Pfade werden mit allen unterverzeichnissen",
    " gelöscht. Benutzt man es regelmäßig von anfang an gibt es",
    " keine Probleme. Ich hatte allerdings schon mal einen Rechner wo",
    " User-Systemdaten seltsamer weise in einem Temp-verzeichniss angelegt",
    " waren, wonach anschließend natürlich nichts mehr lief. Aber das ist",
    " auch nicht normal.(machen sie vor dem ersten mal ein Backup.)",
    " Noch 'n Tipp - so etwas nie Automatisch starten lassen (Autostart) da",
    " dadurch unfertige installationen aus temp-verzeichnissen gelöscht werden",
    " könnten.(Updates die eines neustarts bedürfen wie bei Viren-scanner oder",
    " Windows updates.)",
    " Achten sie darauf das sie nicht bei manueller auswahl versehentlich",
    " Verzeichnisse mit auswählen die sie für's System benötigen.",
    " Root verzeichnisse sind nicht auswählbar. C:\\windows und C:\\winnt",
    " werden auch bei auswahl nicht gelöscht.",
};

// Page 2 starts on row 3.
constexpr std::array<std::string_view, 16> kPage2{
    " Sie können vor dem cleaning in der 'Kehrwix.ini' (pfad wird unten angezeigt)",
    " nachsehen und ggf. selbst veränderungen in der ini vornehmen.",
    " Mit * am anfang der Zeile werden auch unterverzeichnisse gelöscht. So kann es",
    " sein das nach dem ersten cleaning ein neues durchsuchen mit auswahl 'D' viel",
    " weniger Pfade findet. ('d suchpfade.tmp' enthält verzeichniss-suchkriterium)",
    "",
    " Ab dem 2. Aufruf muß man um ins Menü zu kommen eine beliebige Taste innerhalb",
    " 3 Sek. drücken, sonst beginnt der cleanvorgang automatisch. Das ist praktisch",
    " für eine Verknüpfung auf dem Desktop um mal eben vor oder nach dem Internet",
    " schnell ein cleaning zu machen.",
    " Nach dem cleaning steht hinter 'fertig.' was gelöscht wurde und was blieb.",
    "",
    "PS: Die Registry wird nicht angefasst. Dieses Programm ist kein schutz vor",
    "    Spyware o.ä. Es dient nur zum löschen überflüssiger Daten von",
    "    der Festplatte z.B. vor einem Backup.",
    "",
};

// Only a first run is about to scan the drives.
constexpr std::string_view kScanAnnouncement =
    "    Als nächstes werden jetzt alle Laufwerke nach löschbaren Ordnern durchsucht.";

void print_line(Screen& screen, std::string_view line) {
    screen.write(line);
    screen.end_line();
}

}  // namespace

bool show_help(Context& program) {
    // Once the path list holds real paths the help is no longer offered; F1 then reaches the
    // waiting screen as an ordinary key.
    if (program.start_size > 3)
        return false;
    Screen& screen = program.screen;

    screen.clear();
    screen.end_line();
    for (std::string_view line : kPage1)
        print_line(screen, line);
    screen.wait_key();

    screen.clear();
    screen.end_line();
    screen.end_line();
    for (std::string_view line : kPage2)
        print_line(screen, line);
    if (program.run_mode == RunMode::start)
        print_line(screen, kScanAnnouncement);
    screen.end_line();
    screen.wait_key();
    return true;
}

}  // namespace kehrwix
