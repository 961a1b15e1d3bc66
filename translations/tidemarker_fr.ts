<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en">
<context>
    <name>AccountsEditor</name>
    <message>
        <source>Add Clau&amp;de account…</source>
        <translation>Ajouter un compte Clau&amp;de…</translation>
    </message>
    <message>
        <source>Add Code&amp;x account…</source>
        <translation>Ajouter un compte Code&amp;x…</translation>
    </message>
    <message>
        <source>Re&amp;move</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation>Comptes</translation>
    </message>
    <message>
        <source>Provider</source>
        <translation>Fournisseur</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>Libellé</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Dossier</translation>
    </message>
    <message>
        <source>Sign-in</source>
        <translation>Connexion</translation>
    </message>
    <message>
        <source>%1 account&apos;s folder</source>
        <translation>Dossier du compte %1</translation>
    </message>
    <message>
        <source>found</source>
        <translation>trouvée</translation>
    </message>
    <message>
        <source>none</source>
        <translation>aucune</translation>
    </message>
    <message>
        <source>Found %1 — Add</source>
        <translation>%1 trouvé — Ajouter</translation>
    </message>
    <message>
        <source>the keyring</source>
        <translation>le trousseau</translation>
    </message>
    <message>
        <source>Add pro&amp;vider…</source>
        <translation>Ajouter un &amp;fournisseur…</translation>
    </message>
    <message>
        <source>a key</source>
        <translation>une clé</translation>
    </message>
</context>
<context>
    <name>AddProviderDialog</name>
    <message>
        <source>Add provider…</source>
        <translation>Ajouter un fournisseur…</translation>
    </message>
    <message>
        <source>Provider</source>
        <translation>Fournisseur</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>Libellé</translation>
    </message>
    <message>
        <source>optional</source>
        <translation>facultatif</translation>
    </message>
    <message>
        <source>API key</source>
        <translation>Clé d’API</translation>
    </message>
    <message>
        <source>&amp;Provider:</source>
        <translation>&amp;Fournisseur&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Label:</source>
        <translation>&amp;Libellé&#xa0;:</translation>
    </message>
    <message>
        <source>API &amp;key:</source>
        <translation>&amp;Clé d’API&#xa0;:</translation>
    </message>
    <message>
        <source>No Secret Service answers, so no key can be kept: $%1 is read instead.</source>
        <translation>Aucun Secret Service ne répond, aucune clé ne peut donc être conservée&#xa0;: $%1 est lue à la place.</translation>
    </message>
    <message>
        <source>The key could not be stored: %1</source>
        <translation>La clé n’a pas pu être enregistrée&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>Blocked</name>
    <message>
        <source> until %1</source>
        <translation> jusqu’à %1</translation>
    </message>
</context>
<context>
    <name>BreakdownSheet</name>
    <message>
        <source>%1 M</source>
        <comment>millions of tokens</comment>
        <translation>%1 M</translation>
    </message>
    <message>
        <source>%1 k</source>
        <comment>thousands of tokens</comment>
        <translation>%1 k</translation>
    </message>
    <message numerus="yes">
        <source>%n points</source>
        <translation>
            <numerusform>%n point</numerusform>
            <numerusform>%n points</numerusform>
        </translation>
    </message>
    <message>
        <source>others</source>
        <translation>autres</translation>
    </message>
    <message numerus="yes">
        <source>%n more projects</source>
        <translation>
            <numerusform>%n autre projet</numerusform>
            <numerusform>%n autres projets</numerusform>
        </translation>
    </message>
    <message>
        <source>No logged use</source>
        <translation>Aucune utilisation journalisée</translation>
    </message>
    <message>
        <source>%1 %</source>
        <comment>a share in percent</comment>
        <translation>%1&#x202f;%</translation>
    </message>
    <message>
        <source>%1 % used</source>
        <translation>%1&#x202f;% utilisés</translation>
    </message>
</context>
<context>
    <name>BreakdownText</name>
    <message>
        <source>others %1</source>
        <translation>autres %1</translation>
    </message>
    <message>
        <source>no logged use</source>
        <translation>aucune utilisation journalisée</translation>
    </message>
    <message>
        <source>Claude Code is set to keep no transcripts, so where the usage went is unknown</source>
        <translation>Claude Code est réglé pour ne garder aucune transcription&#xa0;; on ne sait donc pas où est allée l’utilisation</translation>
    </message>
    <message>
        <source>reading the assistants&apos; logs: %1 %</source>
        <translation>lecture des journaux des assistants&#xa0;: %1&#x202f;%</translation>
    </message>
</context>
<context>
    <name>BreakdownView</name>
    <message>
        <source>No windows to show yet.</source>
        <translation>Aucune fenêtre à afficher pour l’instant.</translation>
    </message>
</context>
<context>
    <name>CLISignIn</name>
    <message>
        <source>No terminal could be opened to sign in to %1</source>
        <translation>Aucun terminal n’a pu être ouvert pour se connecter à %1</translation>
    </message>
    <message>
        <source>Run &apos;%1&apos; in a terminal</source>
        <translation>Exécutez «&#xa0;%1&#xa0;» dans un terminal</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>desktop notifications are not available: %1</source>
        <translation>les notifications du bureau ne sont pas disponibles&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>DurationText</name>
    <message>
        <source>under 1 min</source>
        <translation>moins d’1 min</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>%1 d %2 h</source>
        <translation>%1 j %2 h</translation>
    </message>
    <message>
        <source>%1 d</source>
        <translation>%1 j</translation>
    </message>
    <message>
        <source>as of just now</source>
        <translation>à l’instant</translation>
    </message>
    <message>
        <source>as of %1 ago</source>
        <translation>il y a %1</translation>
    </message>
</context>
<context>
    <name>FileKind</name>
    <message>
        <source>%1 is a FIFO, not a file</source>
        <translation>%1 est une FIFO, pas un fichier</translation>
    </message>
    <message>
        <source>%1 is a socket, not a file</source>
        <translation>%1 est un socket, pas un fichier</translation>
    </message>
    <message>
        <source>%1 is a folder, not a file</source>
        <translation>%1 est un dossier, pas un fichier</translation>
    </message>
    <message>
        <source>%1 is a device, not a file</source>
        <translation>%1 est un périphérique, pas un fichier</translation>
    </message>
    <message>
        <source>%1 is a special file, not a file</source>
        <translation>%1 est un fichier spécial, pas un fichier ordinaire</translation>
    </message>
</context>
<context>
    <name>HistoryChart</name>
    <message>
        <source>No history yet: Tidemarker records each refresh from now on</source>
        <translation>Pas encore d’historique&#xa0;: Tidemarker enregistre désormais chaque actualisation</translation>
    </message>
    <message>
        <source>% used</source>
        <translation>% utilisé</translation>
    </message>
    <message>
        <source>%1 used</source>
        <translation>%1 utilisés</translation>
    </message>
</context>
<context>
    <name>HistoryConnection</name>
    <message>
        <source>Qt&apos;s SQLite driver is missing (Debian: libqt6sql6-sqlite)</source>
        <translation>Le pilote SQLite de Qt est absent (Debian&#xa0;: libqt6sql6-sqlite)</translation>
    </message>
    <message>
        <source>%1 was written by a newer Tidemarker (history version %2, this one reads up to %3)</source>
        <translation>%1 a été écrit par un Tidemarker plus récent (version d’historique %2, celui-ci lit jusqu’à la %3)</translation>
    </message>
</context>
<context>
    <name>HistoryExport</name>
    <message>
        <source>cannot read the history: %1</source>
        <translation>impossible de lire l’historique&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>HistoryFile</name>
    <message>
        <source>cannot make the folder %1</source>
        <translation>impossible de créer le dossier %1</translation>
    </message>
    <message>
        <source>was damaged</source>
        <translation>était endommagé</translation>
    </message>
    <message>
        <source>lacks %1 of its version %2</source>
        <translation>est incomplet (il manque %1 de sa version %2)</translation>
    </message>
    <message>
        <source>%1 %2 and cannot be moved aside</source>
        <translation>%1 %2 et ne peut pas être mis de côté</translation>
    </message>
    <message>
        <source>%1 %2: moved aside as %3, and a new one started</source>
        <translation>%1 %2&#xa0;: mis de côté sous le nom %3, un nouveau a été commencé</translation>
    </message>
</context>
<context>
    <name>HistoryReader</name>
    <message>
        <source>--days takes a whole number of days, 1 or more</source>
        <translation>--days attend un nombre entier de jours, 1 ou plus</translation>
    </message>
</context>
<context>
    <name>HistoryRender</name>
    <message>
        <source>--render-history needs the path of the PNG file to write</source>
        <translation>--render-history demande le chemin du fichier PNG à écrire</translation>
    </message>
    <message>
        <source>cannot read the history: %1</source>
        <translation>impossible de lire l’historique&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>1 day</source>
        <translation>1 jour</translation>
    </message>
    <message numerus="yes">
        <source>%n days</source>
        <translation>
            <numerusform>%n jour</numerusform>
            <numerusform>%n jours</numerusform>
        </translation>
    </message>
    <message>
        <source>History</source>
        <translation>Historique</translation>
    </message>
    <message>
        <source>History — %1</source>
        <translation>Historique — %1</translation>
    </message>
</context>
<context>
    <name>LocalNumberText</name>
    <message>
        <source>%1%</source>
        <extracomment>A percentage; the space before the sign, if any, as the language writes it.</extracomment>
        <translation>%1&#x202f;%</translation>
    </message>
</context>
<context>
    <name>MoneyText</name>
    <message>
        <source>%1 this month (no limit)</source>
        <translation>%1 ce mois-ci (sans limite)</translation>
    </message>
    <message>
        <source>%1 of %2 this month</source>
        <translation>%1 sur %2 ce mois-ci</translation>
    </message>
</context>
<context>
    <name>PaceAlerts</name>
    <message>
        <source>%1 is %2 used</source>
        <translation>%1 est utilisé à %2</translation>
    </message>
    <message>
        <source>%1 will run out in %2</source>
        <translation>%1 sera épuisé dans %2</translation>
    </message>
    <message>
        <source>%1 will run out in about %2</source>
        <translation>%1 sera épuisé dans environ %2</translation>
    </message>
    <message>
        <source>%1 left, resets in %2</source>
        <translation>%1 restants, réinitialisation dans %2</translation>
    </message>
    <message>
        <source>; at this pace it lasts until the reset</source>
        <translation>&#xa0;; à ce rythme, cela tient jusqu’à la réinitialisation</translation>
    </message>
    <message>
        <source>; at this pace it is used up %1 before the reset</source>
        <translation>&#xa0;; à ce rythme, il sera épuisé %1 avant la réinitialisation</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 bloqué</translation>
    </message>
    <message>
        <source>%1 is blocked</source>
        <translation>%1 est bloqué</translation>
    </message>
    <message>
        <source>The %1 is reached.</source>
        <translation>La limite «&#xa0;%1&#xa0;» est atteinte.</translation>
    </message>
    <message>
        <source>and 1 more limit needs attention: %1</source>
        <translation>et 1 autre limite demande votre attention&#xa0;: %1</translation>
    </message>
    <message numerus="yes">
        <source>and %n more limits need attention: %1</source>
        <translation>
            <numerusform>et %n autre limite demande votre attention&#xa0;: %1</numerusform>
            <numerusform>et %n autres limites demandent votre attention&#xa0;: %1</numerusform>
        </translation>
    </message>
    <message>
        <source> and 1 other</source>
        <translation> et 1 autre</translation>
    </message>
    <message numerus="yes">
        <source> and %n others</source>
        <translation>
            <numerusform> et %n autre</numerusform>
            <numerusform> et %n autres</numerusform>
        </translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>, 1 more limit near</source>
        <translation>, 1 autre limite proche</translation>
    </message>
    <message numerus="yes">
        <source>, %n more limits near</source>
        <translation>
            <numerusform>, %n autre limite proche</numerusform>
            <numerusform>, %n autres limites proches</numerusform>
        </translation>
    </message>
    <message>
        <source>Show history</source>
        <translation>Afficher l’historique</translation>
    </message>
</context>
<context>
    <name>ProviderDetailLines</name>
    <message>
        <source>unlimited</source>
        <translation>illimités</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>%1 restants</translation>
    </message>
    <message>
        <source>and 1 more limit</source>
        <translation>et 1 autre limite</translation>
    </message>
    <message>
        <source>Resets banked: %1</source>
        <translation>Réinitialisations en réserve&#xa0;: %1</translation>
    </message>
    <message>
        <source> · next expires %1</source>
        <translation> · la prochaine expire le %1</translation>
    </message>
    <message>
        <source>Blocked</source>
        <translation>Bloqué</translation>
    </message>
    <message>
        <source>Weekly by model: %1</source>
        <translation>Hebdomadaire par modèle&#xa0;: %1</translation>
    </message>
    <message>
        <source>Usage credits: %1</source>
        <translation>Crédits d’utilisation&#xa0;: %1</translation>
    </message>
    <message>
        <source>Spend: %1</source>
        <translation>Dépenses&#xa0;: %1</translation>
    </message>
    <message>
        <source>Credits: %1</source>
        <translation>Crédits&#xa0;: %1</translation>
    </message>
    <message numerus="yes">
        <source>and %1 more limits</source>
        <translation>
            <numerusform>et %1 autre limite</numerusform>
            <numerusform>et %1 autres limites</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>%1: %2 holds a &quot;;&quot;, which begins a comment in this file; separate with commas, or put the value in double quotes; using %3</source>
        <translation>%1&#xa0;: %2 contient un «&#xa0;;&#xa0;», qui commence un commentaire dans ce fichier&#xa0;; séparez par des virgules ou mettez la valeur entre guillemets droits&#xa0;; %3 est utilisé</translation>
    </message>
    <message>
        <source>%1: %2 &quot;%3&quot; is not %4; using %5</source>
        <translation>%1&#xa0;: %2 «&#xa0;%3&#xa0;» n’est pas %4&#xa0;; %5 est utilisé</translation>
    </message>
    <message>
        <source>%1: cannot be read (%2)</source>
        <translation>%1&#xa0;: illisible (%2)</translation>
    </message>
    <message>
        <source>%1 is not a settings file (binary or over 64 KiB)</source>
        <translation>%1 n’est pas un fichier de paramètres (binaire ou de plus de 64&#xa0;Kio)</translation>
    </message>
    <message>
        <source>%1; using the defaults</source>
        <translation>%1&#xa0;; les valeurs par défaut sont utilisées</translation>
    </message>
    <message>
        <source>%1: cannot be read; using the defaults</source>
        <translation>%1&#xa0;: illisible&#xa0;; les valeurs par défaut sont utilisées</translation>
    </message>
    <message>
        <source>colour, light or dark</source>
        <translation>colour, light ou dark</translation>
    </message>
    <message>
        <source>tightest or main</source>
        <translation>tightest ou main</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation>true ou false</translation>
    </message>
    <message>
        <source>a whole number from %1 to %2</source>
        <translation>un nombre entier de %1 à %2</translation>
    </message>
    <message>
        <source>a list of folders separated by commas, each an absolute path or one below ~, and labelled or not (work=~/.%1-work)</source>
        <translation>une liste de dossiers séparés par des virgules, chacun un chemin absolu ou sous ~, avec ou sans libellé (work=~/.%1-work)</translation>
    </message>
    <message>
        <source>the one account</source>
        <translation>le compte unique</translation>
    </message>
    <message>
        <source>%1: %2 lists more than %3 folders; leaving out %4</source>
        <translation>%1&#xa0;: %2 liste plus de %3 dossiers&#xa0;; %4 est ignoré</translation>
    </message>
    <message>
        <source>cannot make the folder %1</source>
        <translation>impossible de créer le dossier %1</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>impossible d’écrire %1</translation>
    </message>
    <message>
        <source>one or more of %1 and %2, separated by commas</source>
        <translation>un ou plusieurs parmi %1 et %2, séparés par des virgules</translation>
    </message>
    <message>
        <source>one or two providers, separated by a comma</source>
        <translation>un ou deux fournisseurs, séparés par une virgule</translation>
    </message>
    <message>
        <source>the first two shown</source>
        <translation>les deux premiers affichés</translation>
    </message>
    <message>
        <source>a list of key names separated by commas, each of lower-case letters, digits and dashes, and labelled or not (work=%1-1f2e3d4c)</source>
        <translation>une liste de noms de clés séparés par des virgules, chacun de lettres minuscules, de chiffres et de tirets, avec ou sans libellé (work=%1-1f2e3d4c)</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Providers</source>
        <translation>Fournisseurs</translation>
    </message>
    <message>
        <source>Codex and Claude</source>
        <translation>Codex et Claude</translation>
    </message>
    <message>
        <source>Codex only</source>
        <translation>Codex seulement</translation>
    </message>
    <message>
        <source>Claude only</source>
        <translation>Claude seulement</translation>
    </message>
    <message>
        <source>Tray icon</source>
        <translation>Icône de la zone de notification</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Couleur</translation>
    </message>
    <message>
        <source>Light, for a dark panel</source>
        <translation>Clair, pour un panneau sombre</translation>
    </message>
    <message>
        <source>Dark, for a light panel</source>
        <translation>Sombre, pour un panneau clair</translation>
    </message>
    <message>
        <source>Gauge shows</source>
        <translation>La jauge montre</translation>
    </message>
    <message>
        <source>the tightest limits</source>
        <translation>les limites les plus serrées</translation>
    </message>
    <message>
        <source>the 5-hour and weekly windows</source>
        <translation>les fenêtres de 5 heures et hebdomadaire</translation>
    </message>
    <message>
        <source>Show pace a&amp;lerts</source>
        <translation>Afficher les a&amp;lertes de rythme</translation>
    </message>
    <message>
        <source>Alert when a window is used up to, in percent</source>
        <translation>Alerter quand une fenêtre est utilisée à, en pour cent</translation>
    </message>
    <message>
        <source> %</source>
        <translation>&#x202f;%</translation>
    </message>
    <message>
        <source>Refresh every, in seconds</source>
        <translation>Actualiser toutes les, en secondes</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Read the assistants&apos; logs to show where the usage &amp;went</source>
        <translation>Lire les journaux des assistants pour &amp;montrer où est allée l’utilisation</translation>
    </message>
    <message>
        <source>Show when each window re&amp;sets</source>
        <translation>Afficher quand chaque fenêtre est &amp;réinitialisée</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Paramètres</translation>
    </message>
    <message>
        <source>Show pace alerts</source>
        <translation>Afficher les alertes de rythme</translation>
    </message>
    <message>
        <source>Read the assistants&apos; logs to show where the usage went</source>
        <translation>Lire les journaux des assistants pour montrer où est allée l’utilisation</translation>
    </message>
    <message>
        <source>Show when each window resets</source>
        <translation>Afficher quand chaque fenêtre est réinitialisée</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>Appli&amp;quer</translation>
    </message>
    <message>
        <source>&amp;Providers:</source>
        <translation>&amp;Fournisseurs&#xa0;:</translation>
    </message>
    <message>
        <source>Tray &amp;icon:</source>
        <translation>&amp;Icône de la zone de notification&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Gauge shows:</source>
        <translation>La &amp;jauge montre&#xa0;:</translation>
    </message>
    <message>
        <source>Alert when &amp;used:</source>
        <translation>Alerter à partir d’une &amp;utilisation de&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Refresh every:</source>
        <translation>&amp;Actualiser toutes les&#xa0;:</translation>
    </message>
    <message>
        <source>Accou&amp;nts</source>
        <translation>&amp;Comptes</translation>
    </message>
    <message>
        <source>The settings could not be saved: %1</source>
        <translation>Les paramètres n’ont pas pu être enregistrés&#xa0;: %1</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 et %2</translation>
    </message>
    <message>
        <source>Gauge hands</source>
        <translation>Aiguilles de la jauge</translation>
    </message>
    <message>
        <source>Gauge &amp;hands:</source>
        <translation>&amp;Aiguilles de la jauge :</translation>
    </message>
</context>
<context>
    <name>SharedBreakdown</name>
    <message>
        <source>Tidemarker is quitting</source>
        <translation>Tidemarker se ferme</translation>
    </message>
</context>
<context>
    <name>StatusCommand</name>
    <message>
        <source>Tidemarker not running</source>
        <translation>Tidemarker n’est pas lancé</translation>
    </message>
    <message>
        <source>Tidemarker not answering</source>
        <translation>Tidemarker ne répond pas</translation>
    </message>
    <message>
        <source>Tidemarker&apos;s snapshot could not be read</source>
        <translation>L’instantané de Tidemarker n’a pas pu être lu</translation>
    </message>
    <message>
        <source>--account takes the label of an account, as the menu shows it after the middle dot</source>
        <translation>--account attend le libellé d’un compte, tel que le menu l’affiche après le point médian</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>argument inattendu «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>unknown history format &quot;%1&quot;: use csv or json</source>
        <translation>format d’historique inconnu «&#xa0;%1&#xa0;»&#xa0;: utilisez csv ou json</translation>
    </message>
    <message>
        <source>--history prints the record once and takes only --days and --format</source>
        <translation>--history affiche l’historique une fois et n’accepte que --days et --format</translation>
    </message>
    <message>
        <source>unknown breakdown format &quot;%1&quot;: use text or json</source>
        <translation>format de répartition inconnu «&#xa0;%1&#xa0;»&#xa0;: utilisez text ou json</translation>
    </message>
    <message>
        <source>--breakdown prints once and takes only --format and --account</source>
        <translation>--breakdown affiche une fois et n’accepte que --format et --account</translation>
    </message>
    <message>
        <source>Prints the rate-limit usage that the running Tidemarker holds, for status bars and scripts.
Text is one line: each provider&apos;s worst window, its remaining share and its pace.</source>
        <translation>Affiche l’utilisation des limites de débit que connaît Tidemarker en cours d’exécution, pour les barres d’état et les scripts.
Le texte tient sur une ligne&#xa0;: la pire fenêtre de chaque fournisseur, sa part restante et son rythme.</translation>
    </message>
    <message>
        <source>text (default), json or waybar; with --history csv (default) or json.</source>
        <translation>text (par défaut), json ou waybar&#xa0;; avec --history csv (par défaut) ou json.</translation>
    </message>
    <message>
        <source>format</source>
        <translation>format</translation>
    </message>
    <message>
        <source>Stay running and print a new line on every change.</source>
        <translation>Rester lancé et afficher une nouvelle ligne à chaque changement.</translation>
    </message>
    <message>
        <source>Ask Tidemarker to refresh first.</source>
        <translation>Demander d’abord à Tidemarker d’actualiser.</translation>
    </message>
    <message>
        <source>When Tidemarker is not running, ask the accounts of its settings file once directly. Claude limits its usage endpoint hard: not more often than every 4 minutes.</source>
        <translation>Quand Tidemarker n’est pas lancé, interroger une fois directement les comptes de son fichier de paramètres. Claude limite strictement son point d’accès d’utilisation&#xa0;: pas plus souvent que toutes les 4 minutes.</translation>
    </message>
    <message>
        <source>Print the recorded usage history instead.</source>
        <translation>Afficher plutôt l’historique d’utilisation enregistré.</translation>
    </message>
    <message>
        <source>With --history: only the last N days.</source>
        <translation>Avec --history&#xa0;: seulement les N derniers jours.</translation>
    </message>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>Only the account of this label.</source>
        <translation>Seulement le compte portant ce libellé.</translation>
    </message>
    <message>
        <source>LABEL</source>
        <translation>LIBELLÉ</translation>
    </message>
    <message>
        <source>Print where each current window&apos;s usage went, by project and model, from the assistants&apos; logs (text or json).</source>
        <translation>Afficher, d’après les journaux des assistants, où est allée l’utilisation de chaque fenêtre en cours, par projet et par modèle (text ou json).</translation>
    </message>
    <message>
        <source>--days goes with --history</source>
        <translation>--days va avec --history</translation>
    </message>
    <message>
        <source>unknown format &quot;%1&quot;: use text, json or waybar</source>
        <translation>format inconnu «&#xa0;%1&#xa0;»&#xa0;: utilisez text, json ou waybar</translation>
    </message>
    <message>
        <source>--fetch asks once and cannot follow</source>
        <translation>--fetch interroge une fois et ne peut pas suivre</translation>
    </message>
    <message>
        <source>no session bus to reach Tidemarker on; use --fetch for one direct refresh</source>
        <translation>aucun bus de session pour joindre Tidemarker&#xa0;; utilisez --fetch pour une actualisation directe</translation>
    </message>
    <message>
        <source>Tidemarker is not running in this session; start it, or use --fetch for one direct refresh</source>
        <translation>Tidemarker n’est pas lancé dans cette session&#xa0;; lancez-le, ou utilisez --fetch pour une actualisation directe</translation>
    </message>
    <message>
        <source>Tidemarker did not answer: %1</source>
        <translation>Tidemarker n’a pas répondu&#xa0;: %1</translation>
    </message>
    <message>
        <source>no session bus to follow Tidemarker on</source>
        <translation>aucun bus de session pour suivre Tidemarker</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in %2</source>
        <translation>aucun compte au libellé «&#xa0;%1&#xa0;» dans %2</translation>
    </message>
    <message>
        <source>no session bus to reach Tidemarker on</source>
        <translation>aucun bus de session pour joindre Tidemarker</translation>
    </message>
    <message>
        <source>Tidemarker is not running in this session; the breakdown comes from it</source>
        <translation>Tidemarker n’est pas lancé dans cette session&#xa0;; c’est lui qui fournit la répartition</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in Tidemarker&apos;s breakdown</source>
        <translation>aucun compte au libellé «&#xa0;%1&#xa0;» dans la répartition de Tidemarker</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in Tidemarker&apos;s snapshot</source>
        <translation>aucun compte au libellé «&#xa0;%1&#xa0;» dans l’instantané de Tidemarker</translation>
    </message>
</context>
<context>
    <name>StatusFormat</name>
    <message>
        <source> (cached)</source>
        <translation> (en cache)</translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 bloqué</translation>
    </message>
    <message>
        <source>%1 signed out</source>
        <translation>%1 déconnecté</translation>
    </message>
    <message>
        <source>%1 unavailable</source>
        <translation>%1 indisponible</translation>
    </message>
    <message>
        <source>%1 %2 %3 %4%5</source>
        <translation>%1 %2 %3 %4%5</translation>
    </message>
    <message>
        <source>usage unavailable</source>
        <translation>utilisation indisponible</translation>
    </message>
    <message>
        <source>%1 %2: %3 left, %4 %5, resets in %6%7</source>
        <translation>%1 %2&#xa0;: %3 restants, %4 %5, réinitialisation dans %6%7</translation>
    </message>
</context>
<context>
    <name>StatusItemController</name>
    <message>
        <source>History…</source>
        <translation>Historique…</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Paramètres…</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Actualiser</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source> — blocked</source>
        <translation> — bloqué</translation>
    </message>
    <message>
        <source> (cached)</source>
        <translation> (en cache)</translation>
    </message>
    <message>
        <source>usage unavailable</source>
        <translation>utilisation indisponible</translation>
    </message>
    <message>
        <source>Sign in to %1…</source>
        <translation>Se connecter à %1…</translation>
    </message>
</context>
<context>
    <name>StoredText</name>
    <message>
        <source>not signed in to Claude Code</source>
        <translation>non connecté à Claude Code</translation>
    </message>
    <message>
        <source>unexpected credential/usage format</source>
        <translation>format d’identifiants ou d’utilisation inattendu</translation>
    </message>
    <message>
        <source>usage fetch failed</source>
        <translation>échec de la récupération de l’utilisation</translation>
    </message>
    <message>
        <source>usage fetch failed (HTTP %1)</source>
        <translation>échec de la récupération de l’utilisation (HTTP %1)</translation>
    </message>
    <message>
        <source>token rejected — open Claude Code to refresh</source>
        <translation>jeton refusé — ouvrez Claude Code pour le renouveler</translation>
    </message>
    <message>
        <source>token expired — sign in to refresh</source>
        <translation>jeton expiré — connectez-vous pour le renouveler</translation>
    </message>
    <message>
        <source>no usage windows in response</source>
        <translation>aucune fenêtre d’utilisation dans la réponse</translation>
    </message>
    <message>
        <source>no rate limits reported for this plan</source>
        <translation>aucune limite de débit signalée pour cette offre</translation>
    </message>
    <message>
        <source>no Codex auth (%1)</source>
        <translation>aucune authentification Codex (%1)</translation>
    </message>
    <message>
        <source>%1 is not valid UTF-8</source>
        <translation>%1 n’est pas de l’UTF-8 valide</translation>
    </message>
    <message>
        <source>%1 is not a JSON object</source>
        <translation>%1 n’est pas un objet JSON</translation>
    </message>
    <message>
        <source>%1 is not valid JSON: %2 at offset %3</source>
        <translation>%1 n’est pas du JSON valide&#xa0;: %2 à la position %3</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>impossible de lire %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>larger than 1 MiB</source>
        <translation>plus de 1&#xa0;Mio</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; %3</source>
        <translation>%1&#xa0;: «&#xa0;%2&#xa0;» %3</translation>
    </message>
    <message>
        <source>is not an object</source>
        <translation>n’est pas un objet</translation>
    </message>
    <message>
        <source>is not a string</source>
        <translation>n’est pas une chaîne</translation>
    </message>
    <message>
        <source>is not a number</source>
        <translation>n’est pas un nombre</translation>
    </message>
    <message>
        <source>is missing</source>
        <translation>est absent</translation>
    </message>
    <message>
        <source>is null</source>
        <translation>est nul</translation>
    </message>
    <message>
        <source>usage response</source>
        <translation>réponse d’utilisation</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>request timed out (no data for %1 s)</source>
        <translation>la requête a expiré (aucune donnée pendant %1&#xa0;s)</translation>
    </message>
    <message>
        <source>request took longer than %1 s</source>
        <translation>la requête a duré plus de %1&#xa0;s</translation>
    </message>
    <message>
        <source>response too large (over %1 bytes)</source>
        <translation>réponse trop grande (plus de %1 octets)</translation>
    </message>
    <message>
        <source>request cancelled</source>
        <translation>requête annulée</translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation>trop de redirections</translation>
    </message>
    <message>
        <source>redirect to %1 not followed: only the same origin may receive the token</source>
        <translation>redirection vers %1 non suivie&#xa0;: seule la même origine peut recevoir le jeton</translation>
    </message>
    <message>
        <source>request failed (network error %1)</source>
        <translation>échec de la requête (erreur réseau %1)</translation>
    </message>
    <message>
        <source>response ended early (%1 of %2 bytes)</source>
        <translation>la réponse s’est arrêtée trop tôt (%1 octets sur %2)</translation>
    </message>
    <message>
        <source>rate-limited — retrying</source>
        <translation>limite de débit atteinte — nouvel essai</translation>
    </message>
    <message>
        <source>the last request failed — retrying</source>
        <translation>la dernière requête a échoué — nouvel essai</translation>
    </message>
    <message>
        <source>waiting to ask again</source>
        <translation>en attente avant de redemander</translation>
    </message>
    <message>
        <source>usage limit</source>
        <translation>limite d’utilisation</translation>
    </message>
    <message>
        <source>Code review</source>
        <translation>Revue de code</translation>
    </message>
    <message>
        <source>Routines weekly</source>
        <translation>Routines hebdomadaire</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modèle</translation>
    </message>
    <message>
        <source>5h</source>
        <translation>5 h</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Hebdomadaire</translation>
    </message>
    <message>
        <source>30-day</source>
        <translation>30 jours</translation>
    </message>
    <message>
        <source>%1-day</source>
        <translation>%1 j</translation>
    </message>
    <message>
        <source>%1h</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation>Mensuel</translation>
    </message>
    <message>
        <source>not signed in — run `kimi login`</source>
        <translation>non connecté — lancez `kimi login`</translation>
    </message>
    <message>
        <source>sign-in expired — run `kimi login`</source>
        <translation>connexion expirée — lancez `kimi login`</translation>
    </message>
    <message>
        <source>the sign-in was refused — run `kimi login`</source>
        <translation>la connexion a été refusée — lancez `kimi login`</translation>
    </message>
    <message>
        <source>not signed in — run `gh auth login`</source>
        <translation>non connecté — lancez `gh auth login`</translation>
    </message>
    <message>
        <source>the GitHub sign-in was refused — run `gh auth login`</source>
        <translation>la connexion GitHub a été refusée — lancez `gh auth login`</translation>
    </message>
    <message>
        <source>this GitHub sign-in cannot see Copilot usage</source>
        <translation>cette connexion GitHub ne voit pas l’utilisation de Copilot</translation>
    </message>
    <message>
        <source>no limit on premium requests for this plan</source>
        <translation>aucune limite de requêtes premium pour cette offre</translation>
    </message>
    <message>
        <source>is not an array</source>
        <translation>n’est pas une liste</translation>
    </message>
    <message>
        <source>Tool calls</source>
        <translation>Appels d’outils</translation>
    </message>
    <message>
        <source>the key was refused</source>
        <translation>la clé a été refusée</translation>
    </message>
    <message>
        <source>no API key — add one in Settings or set ZAI_API_KEY</source>
        <translation>aucune clé d’API — ajoutez-en une dans les paramètres ou définissez ZAI_API_KEY</translation>
    </message>
    <message>
        <source>the keyring did not give the key: %1</source>
        <translation>le trousseau n’a pas fourni la clé&#xa0;: %1</translation>
    </message>
    <message>
        <source>%1 (code %2)</source>
        <translation>%1 (code %2)</translation>
    </message>
</context>
<context>
    <name>TidemarkerApp</name>
    <message>
        <source>Qt&apos;s &quot;%1&quot; platform has no system tray; start tidemarker in an X11 or Wayland desktop session, or use &apos;tidemarker --render PATH&apos;, which needs none</source>
        <translation>la plateforme Qt «&#xa0;%1&#xa0;» n’a pas de zone de notification&#xa0;; lancez tidemarker dans une session de bureau X11 ou Wayland, ou utilisez «&#xa0;tidemarker --render CHEMIN&#xa0;», qui n’en a pas besoin</translation>
    </message>
    <message>
        <source>Where it went</source>
        <translation>Où est-elle allée</translation>
    </message>
</context>
<context>
    <name>TrayAvailability</name>
    <message>
        <source>no system tray found; waiting for an X11 tray or a StatusNotifierItem host to appear</source>
        <translation>aucune zone de notification trouvée&#xa0;; en attente d’une zone de notification X11 ou d’un hôte StatusNotifierItem</translation>
    </message>
    <message>
        <source>no system tray found; waiting for a StatusNotifierItem host (a panel&apos;s tray) to appear</source>
        <translation>aucune zone de notification trouvée&#xa0;; en attente d’un hôte StatusNotifierItem (la zone de notification d’un panneau)</translation>
    </message>
</context>
<context>
    <name>UsageBreakdown</name>
    <message>
        <source>reading the assistants&apos; logs is turned off (setting breakdown)</source>
        <translation>la lecture des journaux des assistants est désactivée (paramètre breakdown)</translation>
    </message>
    <message>
        <source>Tidemarker is quitting</source>
        <translation>Tidemarker se ferme</translation>
    </message>
</context>
<context>
    <name>UsageBusService</name>
    <message>
        <source>no session bus; status bars and tidemarker-status cannot read the usage</source>
        <translation>aucun bus de session&#xa0;; les barres d’état et tidemarker-status ne peuvent pas lire l’utilisation</translation>
    </message>
    <message>
        <source>cannot publish the usage on the session bus: %1</source>
        <translation>impossible de publier l’utilisation sur le bus de session&#xa0;: %1</translation>
    </message>
    <message>
        <source>already running in this session</source>
        <translation>déjà lancé dans cette session</translation>
    </message>
</context>
<context>
    <name>UsageModels</name>
    <message>
        <source>High</source>
        <translation>Élevé</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Faible</translation>
    </message>
    <message>
        <source>Good</source>
        <translation>Bon</translation>
    </message>
    <message>
        <source>Tidemarker: usage unavailable</source>
        <translation>Tidemarker&#xa0;: utilisation indisponible</translation>
    </message>
</context>
<context>
    <name>WindowLineText</name>
    <message>
        <source> · resets %1</source>
        <translation> · réinitialisation %1</translation>
    </message>
    <message>
        <source>%1: %2 left, %3 %4</source>
        <translation>%1&#xa0;: %2 restants, %3 %4</translation>
    </message>
    <message>
        <source> · blocked</source>
        <translation> · bloqué</translation>
    </message>
    <message>
        <source>%1 %2 left</source>
        <translation>%1 %2 restants</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 bloqué</translation>
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
        <translation>Utilisation&#xa0;: tidemarker [--render [CHEMIN] | --render-history CHEMIN [--days N] | --help | --version]

Montre dans la zone de notification combien il reste de chaque fenêtre de limite
de débit de Claude et de Codex par rapport à un rythme régulier&#xa0;: une icône de
jauge, une infobulle, un menu et des alertes de bureau.

  --render [CHEMIN]  dessiner une planche de jauges d’exemple dans CHEMIN (par
                     défaut tidemarker-preview.png) et quitter&#xa0;; sans affichage
  --render-history CHEMIN [--days N]
                     dessiner le graphique des N derniers jours (7 sinon) de
                     l’historique d’utilisation dans CHEMIN et quitter&#xa0;; sans affichage
  --help             afficher cette aide et quitter
  --version          afficher la version et quitter

Tout autre argument est ignoré. Les paramètres sont lus dans
$XDG_CONFIG_HOME/tidemarker/tidemarker.conf (par défaut
~/.config/tidemarker/tidemarker.conf)&#xa0;; «&#xa0;Paramètres…&#xa0;» dans le menu les modifie.
Voir tidemarker(1).
</translation>
    </message>
    <message>
        <source>no display could be opened; start tidemarker in a desktop session (DISPLAY or WAYLAND_DISPLAY set), or use &apos;tidemarker --render PATH&apos;, which needs none</source>
        <translation>aucun affichage n’a pu être ouvert&#xa0;; lancez tidemarker dans une session de bureau (DISPLAY ou WAYLAND_DISPLAY défini), ou utilisez «&#xa0;tidemarker --render CHEMIN&#xa0;», qui n’en a pas besoin</translation>
    </message>
</context>
</TS>
