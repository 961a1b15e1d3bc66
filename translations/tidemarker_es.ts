<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en">
<context>
    <name>AccountsEditor</name>
    <message>
        <source>Add Clau&amp;de account…</source>
        <translation>Añadir cuenta de Clau&amp;de…</translation>
    </message>
    <message>
        <source>Add Code&amp;x account…</source>
        <translation>Añadir cuenta de Code&amp;x…</translation>
    </message>
    <message>
        <source>Re&amp;move</source>
        <translation>&amp;Quitar</translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation>Cuentas</translation>
    </message>
    <message>
        <source>Provider</source>
        <translation>Proveedor</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>Etiqueta</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Carpeta</translation>
    </message>
    <message>
        <source>Sign-in</source>
        <translation>Inicio de sesión</translation>
    </message>
    <message>
        <source>%1 account&apos;s folder</source>
        <translation>Carpeta de la cuenta de %1</translation>
    </message>
    <message>
        <source>found</source>
        <translation>encontrado</translation>
    </message>
    <message>
        <source>none</source>
        <translation>ninguno</translation>
    </message>
    <message>
        <source>Found %1 — Add</source>
        <translation>%1 encontrada — Añadir</translation>
    </message>
    <message>
        <source>the keyring</source>
        <translation>el llavero</translation>
    </message>
    <message>
        <source>Add pro&amp;vider…</source>
        <translation>Añadir pro&amp;veedor…</translation>
    </message>
    <message>
        <source>a key</source>
        <translation>una clave</translation>
    </message>
</context>
<context>
    <name>AddProviderDialog</name>
    <message>
        <source>Add provider…</source>
        <translation>Añadir proveedor…</translation>
    </message>
    <message>
        <source>Provider</source>
        <translation>Proveedor</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>Etiqueta</translation>
    </message>
    <message>
        <source>optional</source>
        <translation>opcional</translation>
    </message>
    <message>
        <source>API key</source>
        <translation>Clave de API</translation>
    </message>
    <message>
        <source>&amp;Provider:</source>
        <translation>&amp;Proveedor:</translation>
    </message>
    <message>
        <source>&amp;Label:</source>
        <translation>&amp;Etiqueta:</translation>
    </message>
    <message>
        <source>API &amp;key:</source>
        <translation>&amp;Clave de API:</translation>
    </message>
    <message>
        <source>No Secret Service answers, so no key can be kept: $%1 is read instead.</source>
        <translation>Ningún Secret Service responde, así que no se puede guardar ninguna clave: se lee $%1 en su lugar.</translation>
    </message>
    <message>
        <source>The key could not be stored: %1</source>
        <translation>No se pudo guardar la clave: %1</translation>
    </message>
</context>
<context>
    <name>Blocked</name>
    <message>
        <source> until %1</source>
        <translation> hasta las %1</translation>
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
            <numerusform>%n punto</numerusform>
            <numerusform>%n puntos</numerusform>
        </translation>
    </message>
    <message>
        <source>others</source>
        <translation>otros</translation>
    </message>
    <message numerus="yes">
        <source>%n more projects</source>
        <translation>
            <numerusform>%n proyecto más</numerusform>
            <numerusform>%n proyectos más</numerusform>
        </translation>
    </message>
    <message>
        <source>No logged use</source>
        <translation>Sin uso registrado</translation>
    </message>
    <message>
        <source>%1 %</source>
        <comment>a share in percent</comment>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>%1 % used</source>
        <translation>%1&#xa0;% usado</translation>
    </message>
</context>
<context>
    <name>BreakdownText</name>
    <message>
        <source>others %1</source>
        <translation>otros %1</translation>
    </message>
    <message>
        <source>no logged use</source>
        <translation>sin uso registrado</translation>
    </message>
    <message>
        <source>Claude Code is set to keep no transcripts, so where the usage went is unknown</source>
        <translation>Claude Code está configurado para no guardar transcripciones, así que no se sabe a dónde fue el uso</translation>
    </message>
    <message>
        <source>reading the assistants&apos; logs: %1 %</source>
        <translation>leyendo los registros de los asistentes: %1&#xa0;%</translation>
    </message>
</context>
<context>
    <name>BreakdownView</name>
    <message>
        <source>No windows to show yet.</source>
        <translation>Todavía no hay ventanas que mostrar.</translation>
    </message>
</context>
<context>
    <name>CLISignIn</name>
    <message>
        <source>No terminal could be opened to sign in to %1</source>
        <translation>No se pudo abrir ningún terminal para iniciar sesión en %1</translation>
    </message>
    <message>
        <source>Run &apos;%1&apos; in a terminal</source>
        <translation>Ejecute «%1» en un terminal</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>desktop notifications are not available: %1</source>
        <translation>las notificaciones del escritorio no están disponibles: %1</translation>
    </message>
</context>
<context>
    <name>DurationText</name>
    <message>
        <source>under 1 min</source>
        <translation>menos de 1 min</translation>
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
        <translation>%1 d %2 h</translation>
    </message>
    <message>
        <source>%1 d</source>
        <translation>%1 d</translation>
    </message>
    <message>
        <source>as of just now</source>
        <translation>de hace un momento</translation>
    </message>
    <message>
        <source>as of %1 ago</source>
        <translation>de hace %1</translation>
    </message>
</context>
<context>
    <name>FileKind</name>
    <message>
        <source>%1 is a FIFO, not a file</source>
        <translation>%1 es una FIFO, no un archivo</translation>
    </message>
    <message>
        <source>%1 is a socket, not a file</source>
        <translation>%1 es un socket, no un archivo</translation>
    </message>
    <message>
        <source>%1 is a folder, not a file</source>
        <translation>%1 es una carpeta, no un archivo</translation>
    </message>
    <message>
        <source>%1 is a device, not a file</source>
        <translation>%1 es un dispositivo, no un archivo</translation>
    </message>
    <message>
        <source>%1 is a special file, not a file</source>
        <translation>%1 es un archivo especial, no un archivo normal</translation>
    </message>
</context>
<context>
    <name>HistoryChart</name>
    <message>
        <source>No history yet: Tidemarker records each refresh from now on</source>
        <translation>Aún no hay historial: Tidemarker registra cada actualización a partir de ahora</translation>
    </message>
    <message>
        <source>% used</source>
        <translation>% usado</translation>
    </message>
    <message>
        <source>%1 used</source>
        <translation>%1 usado</translation>
    </message>
</context>
<context>
    <name>HistoryConnection</name>
    <message>
        <source>Qt&apos;s SQLite driver is missing (Debian: libqt6sql6-sqlite)</source>
        <translation>Falta el controlador SQLite de Qt (Debian: libqt6sql6-sqlite)</translation>
    </message>
    <message>
        <source>%1 was written by a newer Tidemarker (history version %2, this one reads up to %3)</source>
        <translation>%1 lo escribió un Tidemarker más reciente (versión del historial %2; este lee hasta la %3)</translation>
    </message>
</context>
<context>
    <name>HistoryExport</name>
    <message>
        <source>cannot read the history: %1</source>
        <translation>no se puede leer el historial: %1</translation>
    </message>
</context>
<context>
    <name>HistoryFile</name>
    <message>
        <source>cannot make the folder %1</source>
        <translation>no se puede crear la carpeta %1</translation>
    </message>
    <message>
        <source>was damaged</source>
        <translation>estaba dañado</translation>
    </message>
    <message>
        <source>lacks %1 of its version %2</source>
        <translation>está incompleto (le falta %1 de su versión %2)</translation>
    </message>
    <message>
        <source>%1 %2 and cannot be moved aside</source>
        <translation>%1 %2 y no se puede apartar</translation>
    </message>
    <message>
        <source>%1 %2: moved aside as %3, and a new one started</source>
        <translation>%1 %2: apartado como %3 y empezado uno nuevo</translation>
    </message>
</context>
<context>
    <name>HistoryReader</name>
    <message>
        <source>--days takes a whole number of days, 1 or more</source>
        <translation>--days espera un número entero de días, 1 o más</translation>
    </message>
</context>
<context>
    <name>HistoryRender</name>
    <message>
        <source>--render-history needs the path of the PNG file to write</source>
        <translation>--render-history necesita la ruta del archivo PNG que escribir</translation>
    </message>
    <message>
        <source>cannot read the history: %1</source>
        <translation>no se puede leer el historial: %1</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>1 day</source>
        <translation>1 día</translation>
    </message>
    <message numerus="yes">
        <source>%n days</source>
        <translation>
            <numerusform>%n día</numerusform>
            <numerusform>%n días</numerusform>
        </translation>
    </message>
    <message>
        <source>History</source>
        <translation>Historial</translation>
    </message>
    <message>
        <source>History — %1</source>
        <translation>Historial — %1</translation>
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
        <translation>%1 este mes (sin límite)</translation>
    </message>
    <message>
        <source>%1 of %2 this month</source>
        <translation>%1 de %2 este mes</translation>
    </message>
</context>
<context>
    <name>PaceAlerts</name>
    <message>
        <source>%1 is %2 used</source>
        <translation>%1 está usado al %2</translation>
    </message>
    <message>
        <source>%1 will run out in %2</source>
        <translation>%1 se agotará en %2</translation>
    </message>
    <message>
        <source>%1 will run out in about %2</source>
        <translation>%1 se agotará en unos %2</translation>
    </message>
    <message>
        <source>%1 left, resets in %2</source>
        <translation>%1 restante, se reinicia en %2</translation>
    </message>
    <message>
        <source>; at this pace it lasts until the reset</source>
        <translation>; a este ritmo, dura hasta el reinicio</translation>
    </message>
    <message>
        <source>; at this pace it is used up %1 before the reset</source>
        <translation>; a este ritmo, se agota %1 antes del reinicio</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 bloqueado</translation>
    </message>
    <message>
        <source>%1 is blocked</source>
        <translation>%1 está bloqueado</translation>
    </message>
    <message>
        <source>The %1 is reached.</source>
        <translation>Se ha alcanzado el límite «%1».</translation>
    </message>
    <message>
        <source>and 1 more limit needs attention: %1</source>
        <translation>y 1 límite más requiere atención: %1</translation>
    </message>
    <message numerus="yes">
        <source>and %n more limits need attention: %1</source>
        <translation>
            <numerusform>y %n límite más requiere atención: %1</numerusform>
            <numerusform>y %n límites más requieren atención: %1</numerusform>
        </translation>
    </message>
    <message>
        <source> and 1 other</source>
        <translation> y 1 más</translation>
    </message>
    <message numerus="yes">
        <source> and %n others</source>
        <translation>
            <numerusform> y %n más</numerusform>
            <numerusform> y %n más</numerusform>
        </translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>, 1 more limit near</source>
        <translation>, 1 límite más cerca</translation>
    </message>
    <message numerus="yes">
        <source>, %n more limits near</source>
        <translation>
            <numerusform>, %n límite más cerca</numerusform>
            <numerusform>, %n límites más cerca</numerusform>
        </translation>
    </message>
    <message>
        <source>Show history</source>
        <translation>Mostrar el historial</translation>
    </message>
</context>
<context>
    <name>ProviderDetailLines</name>
    <message>
        <source>unlimited</source>
        <translation>ilimitados</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>%1 restantes</translation>
    </message>
    <message>
        <source>and 1 more limit</source>
        <translation>y 1 límite más</translation>
    </message>
    <message>
        <source>Resets banked: %1</source>
        <translation>Reinicios guardados: %1</translation>
    </message>
    <message>
        <source> · next expires %1</source>
        <translation> · la próxima caduca el %1</translation>
    </message>
    <message>
        <source>Blocked</source>
        <translation>Bloqueado</translation>
    </message>
    <message>
        <source>Weekly by model: %1</source>
        <translation>Semanal por modelo: %1</translation>
    </message>
    <message>
        <source>Usage credits: %1</source>
        <translation>Créditos de uso: %1</translation>
    </message>
    <message>
        <source>Spend: %1</source>
        <translation>Gasto: %1</translation>
    </message>
    <message>
        <source>Credits: %1</source>
        <translation>Créditos: %1</translation>
    </message>
    <message numerus="yes">
        <source>and %1 more limits</source>
        <translation>
            <numerusform>y %1 límite más</numerusform>
            <numerusform>y %1 límites más</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>%1: %2 holds a &quot;;&quot;, which begins a comment in this file; separate with commas, or put the value in double quotes; using %3</source>
        <translation>%1: %2 contiene un «;», que inicia un comentario en este archivo; separe con comas o ponga el valor entre comillas dobles; se usa %3</translation>
    </message>
    <message>
        <source>%1: %2 &quot;%3&quot; is not %4; using %5</source>
        <translation>%1: %2 «%3» no es %4; se usa %5</translation>
    </message>
    <message>
        <source>%1: cannot be read (%2)</source>
        <translation>%1: no se puede leer (%2)</translation>
    </message>
    <message>
        <source>%1 is not a settings file (binary or over 64 KiB)</source>
        <translation>%1 no es un archivo de configuración (binario o de más de 64 KiB)</translation>
    </message>
    <message>
        <source>%1; using the defaults</source>
        <translation>%1; se usan los valores predeterminados</translation>
    </message>
    <message>
        <source>%1: cannot be read; using the defaults</source>
        <translation>%1: no se puede leer; se usan los valores predeterminados</translation>
    </message>
    <message>
        <source>colour, light or dark</source>
        <translation>colour, light o dark</translation>
    </message>
    <message>
        <source>tightest or main</source>
        <translation>tightest o main</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation>true o false</translation>
    </message>
    <message>
        <source>a whole number from %1 to %2</source>
        <translation>un número entero de %1 a %2</translation>
    </message>
    <message>
        <source>a list of folders separated by commas, each an absolute path or one below ~, and labelled or not (work=~/.%1-work)</source>
        <translation>una lista de carpetas separadas por comas, cada una una ruta absoluta o bajo ~, con etiqueta o sin ella (work=~/.%1-work)</translation>
    </message>
    <message>
        <source>the one account</source>
        <translation>la única cuenta</translation>
    </message>
    <message>
        <source>%1: %2 lists more than %3 folders; leaving out %4</source>
        <translation>%1: %2 enumera más de %3 carpetas; se omite %4</translation>
    </message>
    <message>
        <source>cannot make the folder %1</source>
        <translation>no se puede crear la carpeta %1</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>no se puede escribir %1</translation>
    </message>
    <message>
        <source>one or more of %1 and %2, separated by commas</source>
        <translation>uno o varios de %1 y %2, separados por comas</translation>
    </message>
    <message>
        <source>one or two providers, separated by a comma</source>
        <translation>uno o dos proveedores, separados por una coma</translation>
    </message>
    <message>
        <source>the first two shown</source>
        <translation>los dos primeros mostrados</translation>
    </message>
    <message>
        <source>a list of key names separated by commas, each of lower-case letters, digits and dashes, and labelled or not (work=%1-1f2e3d4c)</source>
        <translation>una lista de nombres de clave separados por comas, cada uno de minúsculas, dígitos y guiones, con etiqueta o sin ella (work=%1-1f2e3d4c)</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Providers</source>
        <translation>Proveedores</translation>
    </message>
    <message>
        <source>Codex and Claude</source>
        <translation>Codex y Claude</translation>
    </message>
    <message>
        <source>Codex only</source>
        <translation>Solo Codex</translation>
    </message>
    <message>
        <source>Claude only</source>
        <translation>Solo Claude</translation>
    </message>
    <message>
        <source>Tray icon</source>
        <translation>Icono de la bandeja</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>Light, for a dark panel</source>
        <translation>Claro, para un panel oscuro</translation>
    </message>
    <message>
        <source>Dark, for a light panel</source>
        <translation>Oscuro, para un panel claro</translation>
    </message>
    <message>
        <source>Gauge shows</source>
        <translation>El medidor muestra</translation>
    </message>
    <message>
        <source>the tightest limits</source>
        <translation>los límites más ajustados</translation>
    </message>
    <message>
        <source>the 5-hour and weekly windows</source>
        <translation>las ventanas de 5 horas y semanal</translation>
    </message>
    <message>
        <source>Show pace a&amp;lerts</source>
        <translation>Mostrar a&amp;lertas de ritmo</translation>
    </message>
    <message>
        <source>Alert when a window is used up to, in percent</source>
        <translation>Avisar cuando una ventana se haya usado hasta, en porcentaje</translation>
    </message>
    <message>
        <source> %</source>
        <translation> %</translation>
    </message>
    <message>
        <source>Refresh every, in seconds</source>
        <translation>Actualizar cada, en segundos</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Read the assistants&apos; logs to show where the usage &amp;went</source>
        <translation>Leer los registros de los asistentes para mostrar a dónde &amp;fue el uso</translation>
    </message>
    <message>
        <source>Show when each window re&amp;sets</source>
        <translation>Mostrar cuándo se &amp;reinicia cada ventana</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Configuración</translation>
    </message>
    <message>
        <source>Show pace alerts</source>
        <translation>Mostrar alertas de ritmo</translation>
    </message>
    <message>
        <source>Read the assistants&apos; logs to show where the usage went</source>
        <translation>Leer los registros de los asistentes para mostrar a dónde fue el uso</translation>
    </message>
    <message>
        <source>Show when each window resets</source>
        <translation>Mostrar cuándo se reinicia cada ventana</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>&amp;Aplicar</translation>
    </message>
    <message>
        <source>&amp;Providers:</source>
        <translation>&amp;Proveedores:</translation>
    </message>
    <message>
        <source>Tray &amp;icon:</source>
        <translation>&amp;Icono de la bandeja:</translation>
    </message>
    <message>
        <source>&amp;Gauge shows:</source>
        <translation>El &amp;medidor muestra:</translation>
    </message>
    <message>
        <source>Alert when &amp;used:</source>
        <translation>Avisar al &amp;usar:</translation>
    </message>
    <message>
        <source>&amp;Refresh every:</source>
        <translation>Ac&amp;tualizar cada:</translation>
    </message>
    <message>
        <source>Accou&amp;nts</source>
        <translation>Cue&amp;ntas</translation>
    </message>
    <message>
        <source>The settings could not be saved: %1</source>
        <translation>No se pudo guardar la configuración: %1</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 y %2</translation>
    </message>
    <message>
        <source>Gauge hands</source>
        <translation>Agujas del indicador</translation>
    </message>
    <message>
        <source>Gauge &amp;hands:</source>
        <translation>A&amp;gujas del indicador:</translation>
    </message>
</context>
<context>
    <name>SharedBreakdown</name>
    <message>
        <source>Tidemarker is quitting</source>
        <translation>Tidemarker se está cerrando</translation>
    </message>
</context>
<context>
    <name>StatusCommand</name>
    <message>
        <source>Tidemarker not running</source>
        <translation>Tidemarker no se está ejecutando</translation>
    </message>
    <message>
        <source>Tidemarker not answering</source>
        <translation>Tidemarker no responde</translation>
    </message>
    <message>
        <source>Tidemarker&apos;s snapshot could not be read</source>
        <translation>No se pudo leer la instantánea de Tidemarker</translation>
    </message>
    <message>
        <source>--account takes the label of an account, as the menu shows it after the middle dot</source>
        <translation>--account espera la etiqueta de una cuenta, tal como la muestra el menú tras el punto medio</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>argumento inesperado «%1»</translation>
    </message>
    <message>
        <source>unknown history format &quot;%1&quot;: use csv or json</source>
        <translation>formato de historial desconocido «%1»: use csv o json</translation>
    </message>
    <message>
        <source>--history prints the record once and takes only --days and --format</source>
        <translation>--history imprime el registro una vez y solo admite --days y --format</translation>
    </message>
    <message>
        <source>unknown breakdown format &quot;%1&quot;: use text or json</source>
        <translation>formato de desglose desconocido «%1»: use text o json</translation>
    </message>
    <message>
        <source>--breakdown prints once and takes only --format and --account</source>
        <translation>--breakdown imprime una vez y solo admite --format y --account</translation>
    </message>
    <message>
        <source>Prints the rate-limit usage that the running Tidemarker holds, for status bars and scripts.
Text is one line: each provider&apos;s worst window, its remaining share and its pace.</source>
        <translation>Imprime el uso de los límites de frecuencia que conoce el Tidemarker en ejecución, para barras de estado y scripts.
El texto es una línea: la peor ventana de cada proveedor, su parte restante y su ritmo.</translation>
    </message>
    <message>
        <source>text (default), json or waybar; with --history csv (default) or json.</source>
        <translation>text (predeterminado), json o waybar; con --history csv (predeterminado) o json.</translation>
    </message>
    <message>
        <source>format</source>
        <translation>formato</translation>
    </message>
    <message>
        <source>Stay running and print a new line on every change.</source>
        <translation>Seguir en ejecución e imprimir una línea nueva con cada cambio.</translation>
    </message>
    <message>
        <source>Ask Tidemarker to refresh first.</source>
        <translation>Pedir antes a Tidemarker que actualice.</translation>
    </message>
    <message>
        <source>When Tidemarker is not running, ask the accounts of its settings file once directly. Claude limits its usage endpoint hard: not more often than every 4 minutes.</source>
        <translation>Cuando Tidemarker no se está ejecutando, consultar una vez directamente las cuentas de su archivo de configuración. Claude limita mucho su punto de acceso de uso: no más a menudo que cada 4 minutos.</translation>
    </message>
    <message>
        <source>Print the recorded usage history instead.</source>
        <translation>Imprimir en su lugar el historial de uso registrado.</translation>
    </message>
    <message>
        <source>With --history: only the last N days.</source>
        <translation>Con --history: solo los últimos N días.</translation>
    </message>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>Only the account of this label.</source>
        <translation>Solo la cuenta con esta etiqueta.</translation>
    </message>
    <message>
        <source>LABEL</source>
        <translation>ETIQUETA</translation>
    </message>
    <message>
        <source>Print where each current window&apos;s usage went, by project and model, from the assistants&apos; logs (text or json).</source>
        <translation>Imprimir a dónde fue el uso de cada ventana actual, por proyecto y modelo, según los registros de los asistentes (text o json).</translation>
    </message>
    <message>
        <source>--days goes with --history</source>
        <translation>--days va con --history</translation>
    </message>
    <message>
        <source>unknown format &quot;%1&quot;: use text, json or waybar</source>
        <translation>formato desconocido «%1»: use text, json o waybar</translation>
    </message>
    <message>
        <source>--fetch asks once and cannot follow</source>
        <translation>--fetch consulta una vez y no puede seguir</translation>
    </message>
    <message>
        <source>no session bus to reach Tidemarker on; use --fetch for one direct refresh</source>
        <translation>no hay bus de sesión por el que llegar a Tidemarker; use --fetch para una actualización directa</translation>
    </message>
    <message>
        <source>Tidemarker is not running in this session; start it, or use --fetch for one direct refresh</source>
        <translation>Tidemarker no se está ejecutando en esta sesión; inícielo o use --fetch para una actualización directa</translation>
    </message>
    <message>
        <source>Tidemarker did not answer: %1</source>
        <translation>Tidemarker no respondió: %1</translation>
    </message>
    <message>
        <source>no session bus to follow Tidemarker on</source>
        <translation>no hay bus de sesión por el que seguir a Tidemarker</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in %2</source>
        <translation>no hay ninguna cuenta con la etiqueta «%1» en %2</translation>
    </message>
    <message>
        <source>no session bus to reach Tidemarker on</source>
        <translation>no hay bus de sesión por el que llegar a Tidemarker</translation>
    </message>
    <message>
        <source>Tidemarker is not running in this session; the breakdown comes from it</source>
        <translation>Tidemarker no se está ejecutando en esta sesión; el desglose viene de él</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in Tidemarker&apos;s breakdown</source>
        <translation>no hay ninguna cuenta con la etiqueta «%1» en el desglose de Tidemarker</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in Tidemarker&apos;s snapshot</source>
        <translation>no hay ninguna cuenta con la etiqueta «%1» en la instantánea de Tidemarker</translation>
    </message>
</context>
<context>
    <name>StatusFormat</name>
    <message>
        <source> (cached)</source>
        <translation> (en caché)</translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 bloqueado</translation>
    </message>
    <message>
        <source>%1 signed out</source>
        <translation>%1 sin sesión</translation>
    </message>
    <message>
        <source>%1 unavailable</source>
        <translation>%1 no disponible</translation>
    </message>
    <message>
        <source>%1 %2 %3 %4%5</source>
        <translation>%1 %2 %3 %4%5</translation>
    </message>
    <message>
        <source>usage unavailable</source>
        <translation>uso no disponible</translation>
    </message>
    <message>
        <source>%1 %2: %3 left, %4 %5, resets in %6%7</source>
        <translation>%1 %2: %3 restante, %4 %5, se reinicia en %6%7</translation>
    </message>
</context>
<context>
    <name>StatusItemController</name>
    <message>
        <source>History…</source>
        <translation>Historial…</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Configuración…</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Actualizar</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source> — blocked</source>
        <translation> — bloqueado</translation>
    </message>
    <message>
        <source> (cached)</source>
        <translation> (en caché)</translation>
    </message>
    <message>
        <source>usage unavailable</source>
        <translation>uso no disponible</translation>
    </message>
    <message>
        <source>Sign in to %1…</source>
        <translation>Iniciar sesión en %1…</translation>
    </message>
</context>
<context>
    <name>StoredText</name>
    <message>
        <source>not signed in to Claude Code</source>
        <translation>sin sesión iniciada en Claude Code</translation>
    </message>
    <message>
        <source>unexpected credential/usage format</source>
        <translation>formato de credenciales o de uso inesperado</translation>
    </message>
    <message>
        <source>usage fetch failed</source>
        <translation>falló la consulta del uso</translation>
    </message>
    <message>
        <source>usage fetch failed (HTTP %1)</source>
        <translation>falló la consulta del uso (HTTP %1)</translation>
    </message>
    <message>
        <source>token rejected — open Claude Code to refresh</source>
        <translation>token rechazado — abra Claude Code para renovarlo</translation>
    </message>
    <message>
        <source>token expired — sign in to refresh</source>
        <translation>token caducado — inicie sesión para renovarlo</translation>
    </message>
    <message>
        <source>no usage windows in response</source>
        <translation>no hay ventanas de uso en la respuesta</translation>
    </message>
    <message>
        <source>no rate limits reported for this plan</source>
        <translation>no se informan límites de frecuencia para este plan</translation>
    </message>
    <message>
        <source>no Codex auth (%1)</source>
        <translation>no hay autenticación de Codex (%1)</translation>
    </message>
    <message>
        <source>%1 is not valid UTF-8</source>
        <translation>%1 no es UTF-8 válido</translation>
    </message>
    <message>
        <source>%1 is not a JSON object</source>
        <translation>%1 no es un objeto JSON</translation>
    </message>
    <message>
        <source>%1 is not valid JSON: %2 at offset %3</source>
        <translation>%1 no es JSON válido: %2 en la posición %3</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>no se puede leer %1: %2</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
    <message>
        <source>larger than 1 MiB</source>
        <translation>mayor de 1 MiB</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; %3</source>
        <translation>%1: «%2» %3</translation>
    </message>
    <message>
        <source>is not an object</source>
        <translation>no es un objeto</translation>
    </message>
    <message>
        <source>is not a string</source>
        <translation>no es una cadena</translation>
    </message>
    <message>
        <source>is not a number</source>
        <translation>no es un número</translation>
    </message>
    <message>
        <source>is missing</source>
        <translation>falta</translation>
    </message>
    <message>
        <source>is null</source>
        <translation>es nulo</translation>
    </message>
    <message>
        <source>usage response</source>
        <translation>respuesta de uso</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>request timed out (no data for %1 s)</source>
        <translation>la solicitud agotó el tiempo (sin datos durante %1 s)</translation>
    </message>
    <message>
        <source>request took longer than %1 s</source>
        <translation>la solicitud tardó más de %1 s</translation>
    </message>
    <message>
        <source>response too large (over %1 bytes)</source>
        <translation>respuesta demasiado grande (más de %1 bytes)</translation>
    </message>
    <message>
        <source>request cancelled</source>
        <translation>solicitud cancelada</translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation>demasiadas redirecciones</translation>
    </message>
    <message>
        <source>redirect to %1 not followed: only the same origin may receive the token</source>
        <translation>no se siguió la redirección a %1: solo el mismo origen puede recibir el token</translation>
    </message>
    <message>
        <source>request failed (network error %1)</source>
        <translation>falló la solicitud (error de red %1)</translation>
    </message>
    <message>
        <source>response ended early (%1 of %2 bytes)</source>
        <translation>la respuesta terminó antes de tiempo (%1 de %2 bytes)</translation>
    </message>
    <message>
        <source>rate-limited — retrying</source>
        <translation>límite de frecuencia alcanzado — se reintentará</translation>
    </message>
    <message>
        <source>the last request failed — retrying</source>
        <translation>falló la última solicitud — se reintentará</translation>
    </message>
    <message>
        <source>waiting to ask again</source>
        <translation>esperando para volver a consultar</translation>
    </message>
    <message>
        <source>usage limit</source>
        <translation>límite de uso</translation>
    </message>
    <message>
        <source>Code review</source>
        <translation>Revisión de código</translation>
    </message>
    <message>
        <source>Routines weekly</source>
        <translation>Rutinas semanal</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modelo</translation>
    </message>
    <message>
        <source>5h</source>
        <translation>5 h</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Semanal</translation>
    </message>
    <message>
        <source>30-day</source>
        <translation>30 días</translation>
    </message>
    <message>
        <source>%1-day</source>
        <translation>%1 d</translation>
    </message>
    <message>
        <source>%1h</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation>Mensual</translation>
    </message>
    <message>
        <source>not signed in — run `kimi login`</source>
        <translation>sin sesión iniciada — ejecute `kimi login`</translation>
    </message>
    <message>
        <source>sign-in expired — run `kimi login`</source>
        <translation>la sesión ha caducado — ejecute `kimi login`</translation>
    </message>
    <message>
        <source>the sign-in was refused — run `kimi login`</source>
        <translation>se rechazó la sesión — ejecute `kimi login`</translation>
    </message>
    <message>
        <source>not signed in — run `gh auth login`</source>
        <translation>sin sesión iniciada — ejecute `gh auth login`</translation>
    </message>
    <message>
        <source>the GitHub sign-in was refused — run `gh auth login`</source>
        <translation>se rechazó la sesión de GitHub — ejecute `gh auth login`</translation>
    </message>
    <message>
        <source>this GitHub sign-in cannot see Copilot usage</source>
        <translation>esta sesión de GitHub no puede ver el uso de Copilot</translation>
    </message>
    <message>
        <source>no limit on premium requests for this plan</source>
        <translation>sin límite de solicitudes premium en este plan</translation>
    </message>
    <message>
        <source>is not an array</source>
        <translation>no es una lista</translation>
    </message>
    <message>
        <source>Tool calls</source>
        <translation>Llamadas a herramientas</translation>
    </message>
    <message>
        <source>the key was refused</source>
        <translation>la clave fue rechazada</translation>
    </message>
    <message>
        <source>no API key — add one in Settings or set ZAI_API_KEY</source>
        <translation>no hay clave de API — añada una en la configuración o defina ZAI_API_KEY</translation>
    </message>
    <message>
        <source>the keyring did not give the key: %1</source>
        <translation>el llavero no entregó la clave: %1</translation>
    </message>
    <message>
        <source>%1 (code %2)</source>
        <translation>%1 (código %2)</translation>
    </message>
</context>
<context>
    <name>TidemarkerApp</name>
    <message>
        <source>Qt&apos;s &quot;%1&quot; platform has no system tray; start tidemarker in an X11 or Wayland desktop session, or use &apos;tidemarker --render PATH&apos;, which needs none</source>
        <translation>la plataforma «%1» de Qt no tiene bandeja del sistema; inicie tidemarker en una sesión de escritorio X11 o Wayland, o use «tidemarker --render RUTA», que no la necesita</translation>
    </message>
    <message>
        <source>Where it went</source>
        <translation>A dónde fue</translation>
    </message>
</context>
<context>
    <name>TrayAvailability</name>
    <message>
        <source>no system tray found; waiting for an X11 tray or a StatusNotifierItem host to appear</source>
        <translation>no se encontró la bandeja del sistema; esperando a que aparezca una bandeja X11 o un anfitrión StatusNotifierItem</translation>
    </message>
    <message>
        <source>no system tray found; waiting for a StatusNotifierItem host (a panel&apos;s tray) to appear</source>
        <translation>no se encontró la bandeja del sistema; esperando a que aparezca un anfitrión StatusNotifierItem (la bandeja de un panel)</translation>
    </message>
</context>
<context>
    <name>UsageBreakdown</name>
    <message>
        <source>reading the assistants&apos; logs is turned off (setting breakdown)</source>
        <translation>la lectura de los registros de los asistentes está desactivada (opción breakdown)</translation>
    </message>
    <message>
        <source>Tidemarker is quitting</source>
        <translation>Tidemarker se está cerrando</translation>
    </message>
</context>
<context>
    <name>UsageBusService</name>
    <message>
        <source>no session bus; status bars and tidemarker-status cannot read the usage</source>
        <translation>no hay bus de sesión; las barras de estado y tidemarker-status no pueden leer el uso</translation>
    </message>
    <message>
        <source>cannot publish the usage on the session bus: %1</source>
        <translation>no se puede publicar el uso en el bus de sesión: %1</translation>
    </message>
    <message>
        <source>already running in this session</source>
        <translation>ya se está ejecutando en esta sesión</translation>
    </message>
</context>
<context>
    <name>UsageModels</name>
    <message>
        <source>High</source>
        <translation>Alto</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Bajo</translation>
    </message>
    <message>
        <source>Good</source>
        <translation>Bien</translation>
    </message>
    <message>
        <source>Tidemarker: usage unavailable</source>
        <translation>Tidemarker: uso no disponible</translation>
    </message>
</context>
<context>
    <name>WindowLineText</name>
    <message>
        <source> · resets %1</source>
        <translation> · se reinicia %1</translation>
    </message>
    <message>
        <source>%1: %2 left, %3 %4</source>
        <translation>%1: %2 restante, %3 %4</translation>
    </message>
    <message>
        <source> · blocked</source>
        <translation> · bloqueado</translation>
    </message>
    <message>
        <source>%1 %2 left</source>
        <translation>%1 %2 restante</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 bloqueado</translation>
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
        <translation>Uso: tidemarker [--render [RUTA] | --render-history RUTA [--days N] | --help | --version]

Muestra en la bandeja del sistema cuánto queda de cada ventana de límite de
frecuencia de Claude y Codex frente a un ritmo uniforme: un icono de indicador,
una descripción emergente, un menú y avisos de escritorio.

  --render [RUTA]  dibujar una hoja de indicadores de ejemplo en RUTA (por omisión
                   tidemarker-preview.png) y salir; no necesita pantalla
  --render-history RUTA [--days N]
                   dibujar el gráfico de los últimos N días (7 si no se indica) del
                   historial de uso en RUTA y salir; no necesita pantalla
  --help           mostrar esta ayuda y salir
  --version        mostrar la versión y salir

Cualquier otro argumento se ignora. La configuración se lee de
$XDG_CONFIG_HOME/tidemarker/tidemarker.conf (por omisión
~/.config/tidemarker/tidemarker.conf); «Configuración…» en el menú la modifica.
Véase tidemarker(1).
</translation>
    </message>
    <message>
        <source>no display could be opened; start tidemarker in a desktop session (DISPLAY or WAYLAND_DISPLAY set), or use &apos;tidemarker --render PATH&apos;, which needs none</source>
        <translation>no se pudo abrir ninguna pantalla; inicie tidemarker en una sesión de escritorio (con DISPLAY o WAYLAND_DISPLAY), o use «tidemarker --render RUTA», que no la necesita</translation>
    </message>
</context>
</TS>
