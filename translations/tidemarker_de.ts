<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>AccountsEditor</name>
    <message>
        <source>Add Clau&amp;de account…</source>
        <translation>Clau&amp;de-Konto hinzufügen…</translation>
    </message>
    <message>
        <source>Add Code&amp;x account…</source>
        <translation>Code&amp;x-Konto hinzufügen…</translation>
    </message>
    <message>
        <source>Re&amp;move</source>
        <translation>Ent&amp;fernen</translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation>Konten</translation>
    </message>
    <message>
        <source>Provider</source>
        <translation>Anbieter</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>Bezeichnung</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Sign-in</source>
        <translation>Anmeldung</translation>
    </message>
    <message>
        <source>%1 account&apos;s folder</source>
        <translation>Ordner des %1-Kontos</translation>
    </message>
    <message>
        <source>found</source>
        <translation>gefunden</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>Found %1 — Add</source>
        <translation>%1 gefunden — Hinzufügen</translation>
    </message>
    <message>
        <source>the keyring</source>
        <translation>der Schlüsselbund</translation>
    </message>
    <message>
        <source>Add pro&amp;vider…</source>
        <translation>Anbieter &amp;hinzufügen…</translation>
    </message>
    <message>
        <source>a key</source>
        <translation>ein Schlüssel</translation>
    </message>
</context>
<context>
    <name>AddProviderDialog</name>
    <message>
        <source>Add provider…</source>
        <translation>Anbieter hinzufügen…</translation>
    </message>
    <message>
        <source>Provider</source>
        <translation>Anbieter</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>Bezeichnung</translation>
    </message>
    <message>
        <source>optional</source>
        <translation>optional</translation>
    </message>
    <message>
        <source>API key</source>
        <translation>API-Schlüssel</translation>
    </message>
    <message>
        <source>&amp;Provider:</source>
        <translation>&amp;Anbieter:</translation>
    </message>
    <message>
        <source>&amp;Label:</source>
        <translation>&amp;Bezeichnung:</translation>
    </message>
    <message>
        <source>API &amp;key:</source>
        <translation>API-&amp;Schlüssel:</translation>
    </message>
    <message>
        <source>No Secret Service answers, so no key can be kept: $%1 is read instead.</source>
        <translation>Kein Secret Service antwortet, daher kann kein Schlüssel gespeichert werden: Stattdessen wird $%1 gelesen.</translation>
    </message>
    <message>
        <source>The key could not be stored: %1</source>
        <translation>Der Schlüssel konnte nicht gespeichert werden: %1</translation>
    </message>
</context>
<context>
    <name>Blocked</name>
    <message>
        <source> until %1</source>
        <translation> bis %1</translation>
    </message>
</context>
<context>
    <name>BreakdownSheet</name>
    <message>
        <source>%1 M</source>
        <comment>millions of tokens</comment>
        <translation>%1 Mio.</translation>
    </message>
    <message>
        <source>%1 k</source>
        <comment>thousands of tokens</comment>
        <translation>%1 Tsd.</translation>
    </message>
    <message numerus="yes">
        <source>%n points</source>
        <translation>
            <numerusform>%n Punkt</numerusform>
            <numerusform>%n Punkte</numerusform>
        </translation>
    </message>
    <message>
        <source>others</source>
        <translation>andere</translation>
    </message>
    <message numerus="yes">
        <source>%n more projects</source>
        <translation>
            <numerusform>%n weiteres Projekt</numerusform>
            <numerusform>%n weitere Projekte</numerusform>
        </translation>
    </message>
    <message>
        <source>No logged use</source>
        <translation>Keine protokollierte Nutzung</translation>
    </message>
    <message>
        <source>%1 %</source>
        <comment>a share in percent</comment>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>%1 % used</source>
        <translation>%1&#xa0;% verbraucht</translation>
    </message>
</context>
<context>
    <name>BreakdownText</name>
    <message>
        <source>others %1</source>
        <translation>andere %1</translation>
    </message>
    <message>
        <source>no logged use</source>
        <translation>keine protokollierte Nutzung</translation>
    </message>
    <message>
        <source>Claude Code is set to keep no transcripts, so where the usage went is unknown</source>
        <translation>Claude Code ist so eingestellt, dass es keine Transkripte aufbewahrt; wohin die Nutzung ging, ist daher unbekannt</translation>
    </message>
    <message>
        <source>reading the assistants&apos; logs: %1 %</source>
        <translation>Protokolle der Assistenten werden gelesen: %1&#xa0;%</translation>
    </message>
</context>
<context>
    <name>BreakdownView</name>
    <message>
        <source>No windows to show yet.</source>
        <translation>Noch keine Zeitfenster anzuzeigen.</translation>
    </message>
</context>
<context>
    <name>CLISignIn</name>
    <message>
        <source>No terminal could be opened to sign in to %1</source>
        <translation>Es konnte kein Terminal geöffnet werden, um sich bei %1 anzumelden</translation>
    </message>
    <message>
        <source>Run &apos;%1&apos; in a terminal</source>
        <translation>Führen Sie »%1« in einem Terminal aus</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>desktop notifications are not available: %1</source>
        <translation>Desktop-Benachrichtigungen sind nicht verfügbar: %1</translation>
    </message>
</context>
<context>
    <name>DurationText</name>
    <message>
        <source>under 1 min</source>
        <translation>unter 1 Min.</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 Min.</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 Std. %2 Min.</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 Std.</translation>
    </message>
    <message>
        <source>%1 d %2 h</source>
        <translation>%1 T. %2 Std.</translation>
    </message>
    <message>
        <source>%1 d</source>
        <translation>%1 T.</translation>
    </message>
    <message>
        <source>as of just now</source>
        <translation>Stand: gerade eben</translation>
    </message>
    <message>
        <source>as of %1 ago</source>
        <translation>Stand: vor %1</translation>
    </message>
</context>
<context>
    <name>FileKind</name>
    <message>
        <source>%1 is a FIFO, not a file</source>
        <translation>%1 ist eine FIFO, keine Datei</translation>
    </message>
    <message>
        <source>%1 is a socket, not a file</source>
        <translation>%1 ist ein Socket, keine Datei</translation>
    </message>
    <message>
        <source>%1 is a folder, not a file</source>
        <translation>%1 ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>%1 is a device, not a file</source>
        <translation>%1 ist ein Gerät, keine Datei</translation>
    </message>
    <message>
        <source>%1 is a special file, not a file</source>
        <translation>%1 ist eine Spezialdatei, keine gewöhnliche Datei</translation>
    </message>
</context>
<context>
    <name>HistoryChart</name>
    <message>
        <source>No history yet: Tidemarker records each refresh from now on</source>
        <translation>Noch kein Verlauf: Tidemarker zeichnet ab jetzt jede Aktualisierung auf</translation>
    </message>
    <message>
        <source>% used</source>
        <translation>% verbraucht</translation>
    </message>
    <message>
        <source>%1 used</source>
        <translation>%1 verbraucht</translation>
    </message>
</context>
<context>
    <name>HistoryConnection</name>
    <message>
        <source>Qt&apos;s SQLite driver is missing (Debian: libqt6sql6-sqlite)</source>
        <translation>Der SQLite-Treiber von Qt fehlt (Debian: libqt6sql6-sqlite)</translation>
    </message>
    <message>
        <source>%1 was written by a newer Tidemarker (history version %2, this one reads up to %3)</source>
        <translation>%1 wurde von einem neueren Tidemarker geschrieben (Verlaufsversion %2, dieser liest bis %3)</translation>
    </message>
</context>
<context>
    <name>HistoryExport</name>
    <message>
        <source>cannot read the history: %1</source>
        <translation>Der Verlauf kann nicht gelesen werden: %1</translation>
    </message>
</context>
<context>
    <name>HistoryFile</name>
    <message>
        <source>cannot make the folder %1</source>
        <translation>Der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>was damaged</source>
        <translation>war beschädigt</translation>
    </message>
    <message>
        <source>lacks %1 of its version %2</source>
        <translation>ist unvollständig (es fehlen %1 seiner Version %2)</translation>
    </message>
    <message>
        <source>%1 %2 and cannot be moved aside</source>
        <translation>%1 %2 und kann nicht beiseitegelegt werden</translation>
    </message>
    <message>
        <source>%1 %2: moved aside as %3, and a new one started</source>
        <translation>%1 %2: als %3 beiseitegelegt und neu begonnen</translation>
    </message>
</context>
<context>
    <name>HistoryReader</name>
    <message>
        <source>--days takes a whole number of days, 1 or more</source>
        <translation>--days erwartet eine ganze Zahl von Tagen, 1 oder mehr</translation>
    </message>
</context>
<context>
    <name>HistoryRender</name>
    <message>
        <source>--render-history needs the path of the PNG file to write</source>
        <translation>--render-history braucht den Pfad der zu schreibenden PNG-Datei</translation>
    </message>
    <message>
        <source>cannot read the history: %1</source>
        <translation>Der Verlauf kann nicht gelesen werden: %1</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>1 day</source>
        <translation>1 Tag</translation>
    </message>
    <message numerus="yes">
        <source>%n days</source>
        <translation>
            <numerusform>%n Tag</numerusform>
            <numerusform>%n Tage</numerusform>
        </translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>History — %1</source>
        <translation>Verlauf — %1</translation>
    </message>
</context>
<context>
    <name>LocalNumberText</name>
    <message>
        <source>%1%</source>
        <extracomment>A percentage; the space before the sign, if any, as the language writes it.</extracomment>
        <translation>%1&#xa0;%</translation>
    </message>
</context>
<context>
    <name>MoneyText</name>
    <message>
        <source>%1 this month (no limit)</source>
        <translation>%1 in diesem Monat (ohne Limit)</translation>
    </message>
    <message>
        <source>%1 of %2 this month</source>
        <translation>%1 von %2 in diesem Monat</translation>
    </message>
</context>
<context>
    <name>PaceAlerts</name>
    <message>
        <source>%1 is %2 used</source>
        <translation>%1 ist zu %2 verbraucht</translation>
    </message>
    <message>
        <source>%1 will run out in %2</source>
        <translation>%1 ist in %2 aufgebraucht</translation>
    </message>
    <message>
        <source>%1 will run out in about %2</source>
        <translation>%1 ist in etwa %2 aufgebraucht</translation>
    </message>
    <message>
        <source>%1 left, resets in %2</source>
        <translation>%1 übrig, wird in %2 zurückgesetzt</translation>
    </message>
    <message>
        <source>; at this pace it lasts until the reset</source>
        <translation>; bei diesem Tempo reicht es bis zum Zurücksetzen</translation>
    </message>
    <message>
        <source>; at this pace it is used up %1 before the reset</source>
        <translation>; bei diesem Tempo ist es %1 vor dem Zurücksetzen aufgebraucht</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 gesperrt</translation>
    </message>
    <message>
        <source>%1 is blocked</source>
        <translation>%1 ist gesperrt</translation>
    </message>
    <message>
        <source>The %1 is reached.</source>
        <translation>Das Limit »%1« ist erreicht.</translation>
    </message>
    <message>
        <source>and 1 more limit needs attention: %1</source>
        <translation>und 1 weiteres Limit braucht Aufmerksamkeit: %1</translation>
    </message>
    <message numerus="yes">
        <source>and %n more limits need attention: %1</source>
        <translation>
            <numerusform>und %n weiteres Limit braucht Aufmerksamkeit: %1</numerusform>
            <numerusform>und %n weitere Limits brauchen Aufmerksamkeit: %1</numerusform>
        </translation>
    </message>
    <message>
        <source> and 1 other</source>
        <translation> und 1 weiteres</translation>
    </message>
    <message numerus="yes">
        <source> and %n others</source>
        <translation>
            <numerusform> und %n weiteres</numerusform>
            <numerusform> und %n weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>, 1 more limit near</source>
        <translation>, 1 weiteres Limit nah</translation>
    </message>
    <message numerus="yes">
        <source>, %n more limits near</source>
        <translation>
            <numerusform>, %n weiteres Limit nah</numerusform>
            <numerusform>, %n weitere Limits nah</numerusform>
        </translation>
    </message>
    <message>
        <source>Show history</source>
        <translation>Verlauf anzeigen</translation>
    </message>
</context>
<context>
    <name>ProviderDetailLines</name>
    <message>
        <source>unlimited</source>
        <translation>unbegrenzt</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>%1 übrig</translation>
    </message>
    <message>
        <source>and 1 more limit</source>
        <translation>und 1 weiteres Limit</translation>
    </message>
    <message>
        <source>Resets banked: %1</source>
        <translation>Gespeicherte Zurücksetzungen: %1</translation>
    </message>
    <message>
        <source> · next expires %1</source>
        <translation> · nächste verfällt am %1</translation>
    </message>
    <message>
        <source>Blocked</source>
        <translation>Gesperrt</translation>
    </message>
    <message>
        <source>Weekly by model: %1</source>
        <translation>Wöchentlich nach Modell: %1</translation>
    </message>
    <message>
        <source>Usage credits: %1</source>
        <translation>Nutzungsguthaben: %1</translation>
    </message>
    <message>
        <source>Spend: %1</source>
        <translation>Ausgaben: %1</translation>
    </message>
    <message>
        <source>Credits: %1</source>
        <translation>Guthaben: %1</translation>
    </message>
    <message numerus="yes">
        <source>and %1 more limits</source>
        <translation>
            <numerusform>und %1 weiteres Limit</numerusform>
            <numerusform>und %1 weitere Limits</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>%1: %2 holds a &quot;;&quot;, which begins a comment in this file; separate with commas, or put the value in double quotes; using %3</source>
        <translation>%1: %2 enthält ein »;«, das in dieser Datei einen Kommentar beginnt; trennen Sie mit Kommas oder setzen Sie den Wert in doppelte Anführungszeichen; verwende %3</translation>
    </message>
    <message>
        <source>%1: %2 &quot;%3&quot; is not %4; using %5</source>
        <translation>%1: %2 »%3« ist nicht %4; verwende %5</translation>
    </message>
    <message>
        <source>%1: cannot be read (%2)</source>
        <translation>%1: kann nicht gelesen werden (%2)</translation>
    </message>
    <message>
        <source>%1 is not a settings file (binary or over 64 KiB)</source>
        <translation>%1 ist keine Einstellungsdatei (binär oder über 64 KiB)</translation>
    </message>
    <message>
        <source>%1; using the defaults</source>
        <translation>%1; verwende die Standardwerte</translation>
    </message>
    <message>
        <source>%1: cannot be read; using the defaults</source>
        <translation>%1: kann nicht gelesen werden; verwende die Standardwerte</translation>
    </message>
    <message>
        <source>colour, light or dark</source>
        <translation>colour, light oder dark</translation>
    </message>
    <message>
        <source>tightest or main</source>
        <translation>tightest oder main</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation>true oder false</translation>
    </message>
    <message>
        <source>a whole number from %1 to %2</source>
        <translation>eine ganze Zahl von %1 bis %2</translation>
    </message>
    <message>
        <source>a list of folders separated by commas, each an absolute path or one below ~, and labelled or not (work=~/.%1-work)</source>
        <translation>eine durch Kommas getrennte Liste von Ordnern, jeder ein absoluter Pfad oder einer unter ~, mit oder ohne Bezeichnung (work=~/.%1-work)</translation>
    </message>
    <message>
        <source>the one account</source>
        <translation>das eine Konto</translation>
    </message>
    <message>
        <source>%1: %2 lists more than %3 folders; leaving out %4</source>
        <translation>%1: %2 nennt mehr als %3 Ordner; %4 wird ausgelassen</translation>
    </message>
    <message>
        <source>cannot make the folder %1</source>
        <translation>Der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>one or more of %1 and %2, separated by commas</source>
        <translation>eines oder mehrere von %1 und %2, durch Kommas getrennt</translation>
    </message>
    <message>
        <source>one or two providers, separated by a comma</source>
        <translation>ein oder zwei Anbieter, durch ein Komma getrennt</translation>
    </message>
    <message>
        <source>the first two shown</source>
        <translation>die ersten beiden angezeigten</translation>
    </message>
    <message>
        <source>a list of key names separated by commas, each of lower-case letters, digits and dashes, and labelled or not (work=%1-1f2e3d4c)</source>
        <translation>eine Liste von Schlüsselnamen, durch Kommas getrennt, jeder aus Kleinbuchstaben, Ziffern und Bindestrichen, mit oder ohne Bezeichnung (work=%1-1f2e3d4c)</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Providers</source>
        <translation>Anbieter</translation>
    </message>
    <message>
        <source>Codex and Claude</source>
        <translation>Codex und Claude</translation>
    </message>
    <message>
        <source>Codex only</source>
        <translation>Nur Codex</translation>
    </message>
    <message>
        <source>Claude only</source>
        <translation>Nur Claude</translation>
    </message>
    <message>
        <source>Tray icon</source>
        <translation>Tray-Symbol</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Farbig</translation>
    </message>
    <message>
        <source>Light, for a dark panel</source>
        <translation>Hell, für eine dunkle Leiste</translation>
    </message>
    <message>
        <source>Dark, for a light panel</source>
        <translation>Dunkel, für eine helle Leiste</translation>
    </message>
    <message>
        <source>Gauge shows</source>
        <translation>Anzeige zeigt</translation>
    </message>
    <message>
        <source>the tightest limits</source>
        <translation>die knappsten Limits</translation>
    </message>
    <message>
        <source>the 5-hour and weekly windows</source>
        <translation>das 5-Stunden- und das Wochenfenster</translation>
    </message>
    <message>
        <source>Show pace a&amp;lerts</source>
        <translation>Tempo-Warnungen &amp;einblenden</translation>
    </message>
    <message>
        <source>Alert when a window is used up to, in percent</source>
        <translation>Warnen, wenn ein Zeitfenster so weit verbraucht ist, in Prozent</translation>
    </message>
    <message>
        <source> %</source>
        <translation> %</translation>
    </message>
    <message>
        <source>Refresh every, in seconds</source>
        <translation>Aktualisieren alle, in Sekunden</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Read the assistants&apos; logs to show where the usage &amp;went</source>
        <translation>Protokolle der Assistenten lesen, um zu zeigen, wo&amp;hin die Nutzung ging</translation>
    </message>
    <message>
        <source>Show when each window re&amp;sets</source>
        <translation>Zeigen, wann jedes Zeitfenster zu&amp;rückgesetzt wird</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Show pace alerts</source>
        <translation>Tempo-Warnungen einblenden</translation>
    </message>
    <message>
        <source>Read the assistants&apos; logs to show where the usage went</source>
        <translation>Protokolle der Assistenten lesen, um zu zeigen, wohin die Nutzung ging</translation>
    </message>
    <message>
        <source>Show when each window resets</source>
        <translation>Zeigen, wann jedes Zeitfenster zurückgesetzt wird</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>Ü&amp;bernehmen</translation>
    </message>
    <message>
        <source>&amp;Providers:</source>
        <translation>&amp;Anbieter:</translation>
    </message>
    <message>
        <source>Tray &amp;icon:</source>
        <translation>Tray-&amp;Symbol:</translation>
    </message>
    <message>
        <source>&amp;Gauge shows:</source>
        <translation>An&amp;zeige zeigt:</translation>
    </message>
    <message>
        <source>Alert when &amp;used:</source>
        <translation>&amp;Warnen ab Verbrauch:</translation>
    </message>
    <message>
        <source>&amp;Refresh every:</source>
        <translation>Akt&amp;ualisieren alle:</translation>
    </message>
    <message>
        <source>Accou&amp;nts</source>
        <translation>&amp;Konten</translation>
    </message>
    <message>
        <source>The settings could not be saved: %1</source>
        <translation>Die Einstellungen konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 und %2</translation>
    </message>
    <message>
        <source>Gauge hands</source>
        <translation>Zeiger der Anzeige</translation>
    </message>
    <message>
        <source>Gauge &amp;hands:</source>
        <translation>&amp;Zeiger der Anzeige:</translation>
    </message>
</context>
<context>
    <name>SharedBreakdown</name>
    <message>
        <source>Tidemarker is quitting</source>
        <translation>Tidemarker wird beendet</translation>
    </message>
</context>
<context>
    <name>StatusCommand</name>
    <message>
        <source>Tidemarker not running</source>
        <translation>Tidemarker läuft nicht</translation>
    </message>
    <message>
        <source>Tidemarker not answering</source>
        <translation>Tidemarker antwortet nicht</translation>
    </message>
    <message>
        <source>Tidemarker&apos;s snapshot could not be read</source>
        <translation>Der Stand von Tidemarker konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>--account takes the label of an account, as the menu shows it after the middle dot</source>
        <translation>--account erwartet die Bezeichnung eines Kontos, wie sie das Menü nach dem Mittelpunkt zeigt</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>unerwartetes Argument »%1«</translation>
    </message>
    <message>
        <source>unknown history format &quot;%1&quot;: use csv or json</source>
        <translation>unbekanntes Verlaufsformat »%1«: csv oder json verwenden</translation>
    </message>
    <message>
        <source>--history prints the record once and takes only --days and --format</source>
        <translation>--history gibt den Verlauf einmal aus und nimmt nur --days und --format</translation>
    </message>
    <message>
        <source>unknown breakdown format &quot;%1&quot;: use text or json</source>
        <translation>unbekanntes Aufschlüsselungsformat »%1«: text oder json verwenden</translation>
    </message>
    <message>
        <source>--breakdown prints once and takes only --format and --account</source>
        <translation>--breakdown gibt einmal aus und nimmt nur --format und --account</translation>
    </message>
    <message>
        <source>Prints the rate-limit usage that the running Tidemarker holds, for status bars and scripts.
Text is one line: each provider&apos;s worst window, its remaining share and its pace.</source>
        <translation>Gibt die Nutzung der Ratenlimits aus, die der laufende Tidemarker kennt, für Statusleisten und Skripte.
Text ist eine Zeile: das schlechteste Zeitfenster jedes Anbieters, sein verbleibender Anteil und sein Tempo.</translation>
    </message>
    <message>
        <source>text (default), json or waybar; with --history csv (default) or json.</source>
        <translation>text (Standard), json oder waybar; mit --history csv (Standard) oder json.</translation>
    </message>
    <message>
        <source>format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Stay running and print a new line on every change.</source>
        <translation>Weiterlaufen und bei jeder Änderung eine neue Zeile ausgeben.</translation>
    </message>
    <message>
        <source>Ask Tidemarker to refresh first.</source>
        <translation>Tidemarker zuerst um eine Aktualisierung bitten.</translation>
    </message>
    <message>
        <source>When Tidemarker is not running, ask the accounts of its settings file once directly. Claude limits its usage endpoint hard: not more often than every 4 minutes.</source>
        <translation>Wenn Tidemarker nicht läuft, die Konten seiner Einstellungsdatei einmal direkt abfragen. Claude begrenzt seinen Nutzungsendpunkt streng: nicht öfter als alle 4 Minuten.</translation>
    </message>
    <message>
        <source>Print the recorded usage history instead.</source>
        <translation>Stattdessen den aufgezeichneten Nutzungsverlauf ausgeben.</translation>
    </message>
    <message>
        <source>With --history: only the last N days.</source>
        <translation>Mit --history: nur die letzten N Tage.</translation>
    </message>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>Only the account of this label.</source>
        <translation>Nur das Konto mit dieser Bezeichnung.</translation>
    </message>
    <message>
        <source>LABEL</source>
        <translation>BEZEICHNUNG</translation>
    </message>
    <message>
        <source>Print where each current window&apos;s usage went, by project and model, from the assistants&apos; logs (text or json).</source>
        <translation>Aus den Protokollen der Assistenten ausgeben, wohin die Nutzung jedes aktuellen Zeitfensters ging, nach Projekt und Modell (text oder json).</translation>
    </message>
    <message>
        <source>--days goes with --history</source>
        <translation>--days gehört zu --history</translation>
    </message>
    <message>
        <source>unknown format &quot;%1&quot;: use text, json or waybar</source>
        <translation>unbekanntes Format »%1«: text, json oder waybar verwenden</translation>
    </message>
    <message>
        <source>--fetch asks once and cannot follow</source>
        <translation>--fetch fragt einmal und kann nicht folgen</translation>
    </message>
    <message>
        <source>no session bus to reach Tidemarker on; use --fetch for one direct refresh</source>
        <translation>kein Sitzungsbus, über den Tidemarker erreichbar wäre; --fetch für eine direkte Aktualisierung verwenden</translation>
    </message>
    <message>
        <source>Tidemarker is not running in this session; start it, or use --fetch for one direct refresh</source>
        <translation>Tidemarker läuft in dieser Sitzung nicht; starten Sie es oder verwenden Sie --fetch für eine direkte Aktualisierung</translation>
    </message>
    <message>
        <source>Tidemarker did not answer: %1</source>
        <translation>Tidemarker hat nicht geantwortet: %1</translation>
    </message>
    <message>
        <source>no session bus to follow Tidemarker on</source>
        <translation>kein Sitzungsbus, über den Tidemarker verfolgt werden kann</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in %2</source>
        <translation>kein Konto mit der Bezeichnung »%1« in %2</translation>
    </message>
    <message>
        <source>no session bus to reach Tidemarker on</source>
        <translation>kein Sitzungsbus, über den Tidemarker erreichbar wäre</translation>
    </message>
    <message>
        <source>Tidemarker is not running in this session; the breakdown comes from it</source>
        <translation>Tidemarker läuft in dieser Sitzung nicht; die Aufschlüsselung kommt von ihm</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in Tidemarker&apos;s breakdown</source>
        <translation>kein Konto mit der Bezeichnung »%1« in der Aufschlüsselung von Tidemarker</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in Tidemarker&apos;s snapshot</source>
        <translation>kein Konto mit der Bezeichnung »%1« im Stand von Tidemarker</translation>
    </message>
</context>
<context>
    <name>StatusFormat</name>
    <message>
        <source> (cached)</source>
        <translation> (zwischengespeichert)</translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 gesperrt</translation>
    </message>
    <message>
        <source>%1 signed out</source>
        <translation>%1 abgemeldet</translation>
    </message>
    <message>
        <source>%1 unavailable</source>
        <translation>%1 nicht verfügbar</translation>
    </message>
    <message>
        <source>%1 %2 %3 %4%5</source>
        <translation>%1 %2 %3 %4%5</translation>
    </message>
    <message>
        <source>usage unavailable</source>
        <translation>Nutzung nicht verfügbar</translation>
    </message>
    <message>
        <source>%1 %2: %3 left, %4 %5, resets in %6%7</source>
        <translation>%1 %2: %3 übrig, %4 %5, wird in %6 zurückgesetzt%7</translation>
    </message>
</context>
<context>
    <name>StatusItemController</name>
    <message>
        <source>History…</source>
        <translation>Verlauf…</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source> — blocked</source>
        <translation> — gesperrt</translation>
    </message>
    <message>
        <source> (cached)</source>
        <translation> (zwischengespeichert)</translation>
    </message>
    <message>
        <source>usage unavailable</source>
        <translation>Nutzung nicht verfügbar</translation>
    </message>
    <message>
        <source>Sign in to %1…</source>
        <translation>Bei %1 anmelden…</translation>
    </message>
</context>
<context>
    <name>StoredText</name>
    <message>
        <source>not signed in to Claude Code</source>
        <translation>nicht bei Claude Code angemeldet</translation>
    </message>
    <message>
        <source>unexpected credential/usage format</source>
        <translation>unerwartetes Format der Anmeldedaten/Nutzung</translation>
    </message>
    <message>
        <source>usage fetch failed</source>
        <translation>Abruf der Nutzung fehlgeschlagen</translation>
    </message>
    <message>
        <source>usage fetch failed (HTTP %1)</source>
        <translation>Abruf der Nutzung fehlgeschlagen (HTTP %1)</translation>
    </message>
    <message>
        <source>token rejected — open Claude Code to refresh</source>
        <translation>Token abgelehnt — Claude Code öffnen, um es zu erneuern</translation>
    </message>
    <message>
        <source>token expired — sign in to refresh</source>
        <translation>Token abgelaufen — zum Erneuern anmelden</translation>
    </message>
    <message>
        <source>no usage windows in response</source>
        <translation>keine Nutzungsfenster in der Antwort</translation>
    </message>
    <message>
        <source>no rate limits reported for this plan</source>
        <translation>für diesen Tarif werden keine Ratenlimits gemeldet</translation>
    </message>
    <message>
        <source>no Codex auth (%1)</source>
        <translation>keine Codex-Anmeldung (%1)</translation>
    </message>
    <message>
        <source>%1 is not valid UTF-8</source>
        <translation>%1 ist kein gültiges UTF-8</translation>
    </message>
    <message>
        <source>%1 is not a JSON object</source>
        <translation>%1 ist kein JSON-Objekt</translation>
    </message>
    <message>
        <source>%1 is not valid JSON: %2 at offset %3</source>
        <translation>%1 ist kein gültiges JSON: %2 an Position %3</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>larger than 1 MiB</source>
        <translation>größer als 1 MiB</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; %3</source>
        <translation>%1: „%2“ %3</translation>
    </message>
    <message>
        <source>is not an object</source>
        <translation>ist kein Objekt</translation>
    </message>
    <message>
        <source>is not a string</source>
        <translation>ist keine Zeichenkette</translation>
    </message>
    <message>
        <source>is not a number</source>
        <translation>ist keine Zahl</translation>
    </message>
    <message>
        <source>is missing</source>
        <translation>fehlt</translation>
    </message>
    <message>
        <source>is null</source>
        <translation>ist null</translation>
    </message>
    <message>
        <source>usage response</source>
        <translation>Nutzungsantwort</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>request timed out (no data for %1 s)</source>
        <translation>Zeitüberschreitung der Anfrage (%1 s keine Daten)</translation>
    </message>
    <message>
        <source>request took longer than %1 s</source>
        <translation>Anfrage dauerte länger als %1 s</translation>
    </message>
    <message>
        <source>response too large (over %1 bytes)</source>
        <translation>Antwort zu groß (über %1 Bytes)</translation>
    </message>
    <message>
        <source>request cancelled</source>
        <translation>Anfrage abgebrochen</translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation>zu viele Weiterleitungen</translation>
    </message>
    <message>
        <source>redirect to %1 not followed: only the same origin may receive the token</source>
        <translation>Weiterleitung zu %1 nicht gefolgt: nur derselbe Ursprung darf das Token erhalten</translation>
    </message>
    <message>
        <source>request failed (network error %1)</source>
        <translation>Anfrage fehlgeschlagen (Netzwerkfehler %1)</translation>
    </message>
    <message>
        <source>response ended early (%1 of %2 bytes)</source>
        <translation>Antwort endete vorzeitig (%1 von %2 Bytes)</translation>
    </message>
    <message>
        <source>rate-limited — retrying</source>
        <translation>Ratenlimit erreicht — neuer Versuch folgt</translation>
    </message>
    <message>
        <source>the last request failed — retrying</source>
        <translation>die letzte Anfrage ist fehlgeschlagen — neuer Versuch folgt</translation>
    </message>
    <message>
        <source>waiting to ask again</source>
        <translation>wartet auf die nächste Anfrage</translation>
    </message>
    <message>
        <source>usage limit</source>
        <translation>Nutzungslimit</translation>
    </message>
    <message>
        <source>Code review</source>
        <translation>Code-Review</translation>
    </message>
    <message>
        <source>Routines weekly</source>
        <translation>Routinen wöchentlich</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>5h</source>
        <translation>5 Std.</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Wöchentlich</translation>
    </message>
    <message>
        <source>30-day</source>
        <translation>30 Tage</translation>
    </message>
    <message>
        <source>%1-day</source>
        <translation>%1 T.</translation>
    </message>
    <message>
        <source>%1h</source>
        <translation>%1 Std.</translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation>Monatlich</translation>
    </message>
    <message>
        <source>not signed in — run `kimi login`</source>
        <translation>nicht angemeldet — `kimi login` ausführen</translation>
    </message>
    <message>
        <source>sign-in expired — run `kimi login`</source>
        <translation>Anmeldung abgelaufen — `kimi login` ausführen</translation>
    </message>
    <message>
        <source>the sign-in was refused — run `kimi login`</source>
        <translation>die Anmeldung wurde abgelehnt — `kimi login` ausführen</translation>
    </message>
    <message>
        <source>not signed in — run `gh auth login`</source>
        <translation>nicht angemeldet — `gh auth login` ausführen</translation>
    </message>
    <message>
        <source>the GitHub sign-in was refused — run `gh auth login`</source>
        <translation>die GitHub-Anmeldung wurde abgelehnt — `gh auth login` ausführen</translation>
    </message>
    <message>
        <source>this GitHub sign-in cannot see Copilot usage</source>
        <translation>diese GitHub-Anmeldung sieht die Copilot-Nutzung nicht</translation>
    </message>
    <message>
        <source>no limit on premium requests for this plan</source>
        <translation>kein Limit für Premium-Anfragen in diesem Tarif</translation>
    </message>
    <message>
        <source>is not an array</source>
        <translation>ist keine Liste</translation>
    </message>
    <message>
        <source>Tool calls</source>
        <translation>Tool-Aufrufe</translation>
    </message>
    <message>
        <source>the key was refused</source>
        <translation>der Schlüssel wurde abgelehnt</translation>
    </message>
    <message>
        <source>no API key — add one in Settings or set ZAI_API_KEY</source>
        <translation>kein API-Schlüssel — einen in den Einstellungen hinzufügen oder ZAI_API_KEY setzen</translation>
    </message>
    <message>
        <source>the keyring did not give the key: %1</source>
        <translation>der Schlüsselbund gab den Schlüssel nicht heraus: %1</translation>
    </message>
    <message>
        <source>%1 (code %2)</source>
        <translation>%1 (Code %2)</translation>
    </message>
</context>
<context>
    <name>TidemarkerApp</name>
    <message>
        <source>Qt&apos;s &quot;%1&quot; platform has no system tray; start tidemarker in an X11 or Wayland desktop session, or use &apos;tidemarker --render PATH&apos;, which needs none</source>
        <translation>Die Qt-Plattform »%1« hat keinen Systembereich; starten Sie tidemarker in einer X11- oder Wayland-Desktopsitzung oder verwenden Sie »tidemarker --render PFAD«, das keinen braucht</translation>
    </message>
    <message>
        <source>Where it went</source>
        <translation>Wohin es ging</translation>
    </message>
</context>
<context>
    <name>TrayAvailability</name>
    <message>
        <source>no system tray found; waiting for an X11 tray or a StatusNotifierItem host to appear</source>
        <translation>kein Systembereich gefunden; warte auf einen X11-Systembereich oder einen StatusNotifierItem-Host</translation>
    </message>
    <message>
        <source>no system tray found; waiting for a StatusNotifierItem host (a panel&apos;s tray) to appear</source>
        <translation>kein Systembereich gefunden; warte auf einen StatusNotifierItem-Host (den Systembereich einer Leiste)</translation>
    </message>
</context>
<context>
    <name>UsageBreakdown</name>
    <message>
        <source>reading the assistants&apos; logs is turned off (setting breakdown)</source>
        <translation>Das Lesen der Protokolle der Assistenten ist ausgeschaltet (Einstellung breakdown)</translation>
    </message>
    <message>
        <source>Tidemarker is quitting</source>
        <translation>Tidemarker wird beendet</translation>
    </message>
</context>
<context>
    <name>UsageBusService</name>
    <message>
        <source>no session bus; status bars and tidemarker-status cannot read the usage</source>
        <translation>kein Sitzungsbus; Statusleisten und tidemarker-status können die Nutzung nicht lesen</translation>
    </message>
    <message>
        <source>cannot publish the usage on the session bus: %1</source>
        <translation>die Nutzung kann nicht auf dem Sitzungsbus veröffentlicht werden: %1</translation>
    </message>
    <message>
        <source>already running in this session</source>
        <translation>läuft in dieser Sitzung bereits</translation>
    </message>
</context>
<context>
    <name>UsageModels</name>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>Good</source>
        <translation>Gut</translation>
    </message>
    <message>
        <source>Tidemarker: usage unavailable</source>
        <translation>Tidemarker: Nutzung nicht verfügbar</translation>
    </message>
</context>
<context>
    <name>WindowLineText</name>
    <message>
        <source> · resets %1</source>
        <translation> · wird %1 zurückgesetzt</translation>
    </message>
    <message>
        <source>%1: %2 left, %3 %4</source>
        <translation>%1: %2 übrig, %3 %4</translation>
    </message>
    <message>
        <source> · blocked</source>
        <translation> · gesperrt</translation>
    </message>
    <message>
        <source>%1 %2 left</source>
        <translation>%1 %2 übrig</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 gesperrt</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Usage: tidemarker [--render [PATH] | --render-history PATH [--days N] | --help | --version]

Shows in the system tray how much of each Claude and Codex rate-limit window is
left against an even pace: a gauge icon, a tooltip, a menu and desktop alerts.

  --render [PATH]  draw a sheet of sample gauges to PATH (by default
                   tidemarker-preview.png) and exit; needs no display
  --render-history PATH [--days N]
                   draw the chart of the last N days (7 unless told) of the
                   usage history to PATH and exit; needs no display
  --help           print this help and exit
  --version        print the version and exit

Any other argument is ignored. Settings are read from
$XDG_CONFIG_HOME/tidemarker/tidemarker.conf (by default
~/.config/tidemarker/tidemarker.conf); the menu&apos;s &quot;Settings…&quot; edits them.
See tidemarker(1).
</source>
        <translation>Aufruf: tidemarker [--render [PFAD] | --render-history PFAD [--days N] | --help | --version]

Zeigt im Systembereich, wie viel von jedem Ratenlimit-Zeitfenster von Claude und
Codex gemessen an einem gleichmäßigen Tempo übrig ist: ein Anzeigesymbol, ein
Tooltip, ein Menü und Desktop-Warnungen.

  --render [PFAD]  eine Seite mit Beispielanzeigen nach PFAD zeichnen (standardmäßig
                   tidemarker-preview.png) und beenden; braucht keinen Bildschirm
  --render-history PFAD [--days N]
                   das Diagramm der letzten N Tage (sonst 7) des Nutzungsverlaufs
                   nach PFAD zeichnen und beenden; braucht keinen Bildschirm
  --help           diese Hilfe ausgeben und beenden
  --version        die Version ausgeben und beenden

Jedes andere Argument wird ignoriert. Die Einstellungen werden aus
$XDG_CONFIG_HOME/tidemarker/tidemarker.conf gelesen (standardmäßig
~/.config/tidemarker/tidemarker.conf); »Einstellungen…« im Menü bearbeitet sie.
Siehe tidemarker(1).
</translation>
    </message>
    <message>
        <source>no display could be opened; start tidemarker in a desktop session (DISPLAY or WAYLAND_DISPLAY set), or use &apos;tidemarker --render PATH&apos;, which needs none</source>
        <translation>es konnte kein Bildschirm geöffnet werden; starten Sie tidemarker in einer Desktopsitzung (DISPLAY oder WAYLAND_DISPLAY gesetzt) oder verwenden Sie »tidemarker --render PFAD«, das keinen braucht</translation>
    </message>
</context>
</TS>
