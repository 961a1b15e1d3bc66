<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en">
<context>
    <name>AccountsEditor</name>
    <message>
        <source>Add Clau&amp;de account…</source>
        <translation>Claude アカウントを追加(&amp;D)…</translation>
    </message>
    <message>
        <source>Add Code&amp;x account…</source>
        <translation>Codex アカウントを追加(&amp;X)…</translation>
    </message>
    <message>
        <source>Re&amp;move</source>
        <translation>削除(&amp;M)</translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation>アカウント</translation>
    </message>
    <message>
        <source>Provider</source>
        <translation>プロバイダー</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>ラベル</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>フォルダー</translation>
    </message>
    <message>
        <source>Sign-in</source>
        <translation>サインイン</translation>
    </message>
    <message>
        <source>%1 account&apos;s folder</source>
        <translation>%1 アカウントのフォルダー</translation>
    </message>
    <message>
        <source>found</source>
        <translation>あり</translation>
    </message>
    <message>
        <source>none</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>Found %1 — Add</source>
        <translation>%1 が見つかりました — 追加</translation>
    </message>
    <message>
        <source>the keyring</source>
        <translation>キーリング</translation>
    </message>
    <message>
        <source>Add pro&amp;vider…</source>
        <translation>プロバイダーを追加(&amp;V)…</translation>
    </message>
    <message>
        <source>a key</source>
        <translation>キー</translation>
    </message>
</context>
<context>
    <name>AddProviderDialog</name>
    <message>
        <source>Add provider…</source>
        <translation>プロバイダーを追加…</translation>
    </message>
    <message>
        <source>Provider</source>
        <translation>プロバイダー</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>ラベル</translation>
    </message>
    <message>
        <source>optional</source>
        <translation>任意</translation>
    </message>
    <message>
        <source>API key</source>
        <translation>API キー</translation>
    </message>
    <message>
        <source>&amp;Provider:</source>
        <translation>プロバイダー(&amp;P):</translation>
    </message>
    <message>
        <source>&amp;Label:</source>
        <translation>ラベル(&amp;L):</translation>
    </message>
    <message>
        <source>API &amp;key:</source>
        <translation>API キー(&amp;K):</translation>
    </message>
    <message>
        <source>No Secret Service answers, so no key can be kept: $%1 is read instead.</source>
        <translation>Secret Service が応答しないため、キーを保存できません。代わりに $%1 を読み取ります。</translation>
    </message>
    <message>
        <source>The key could not be stored: %1</source>
        <translation>キーを保存できませんでした: %1</translation>
    </message>
</context>
<context>
    <name>Blocked</name>
    <message>
        <source> until %1</source>
        <translation> %1 まで</translation>
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
            <numerusform>%n ポイント</numerusform>
        </translation>
    </message>
    <message>
        <source>others</source>
        <translation>その他</translation>
    </message>
    <message numerus="yes">
        <source>%n more projects</source>
        <translation>
            <numerusform>ほか %n 件のプロジェクト</numerusform>
        </translation>
    </message>
    <message>
        <source>No logged use</source>
        <translation>記録された使用はありません</translation>
    </message>
    <message>
        <source>%1 %</source>
        <comment>a share in percent</comment>
        <translation>%1%</translation>
    </message>
    <message>
        <source>%1 % used</source>
        <translation>%1% 使用済み</translation>
    </message>
</context>
<context>
    <name>BreakdownText</name>
    <message>
        <source>others %1</source>
        <translation>その他 %1</translation>
    </message>
    <message>
        <source>no logged use</source>
        <translation>記録された使用なし</translation>
    </message>
    <message>
        <source>Claude Code is set to keep no transcripts, so where the usage went is unknown</source>
        <translation>Claude Code はトランスクリプトを保存しない設定のため、使用量の内訳は不明です</translation>
    </message>
    <message>
        <source>reading the assistants&apos; logs: %1 %</source>
        <translation>アシスタントのログを読み込み中: %1%</translation>
    </message>
</context>
<context>
    <name>BreakdownView</name>
    <message>
        <source>No windows to show yet.</source>
        <translation>表示するウィンドウはまだありません。</translation>
    </message>
</context>
<context>
    <name>CLISignIn</name>
    <message>
        <source>No terminal could be opened to sign in to %1</source>
        <translation>%1 にサインインするための端末を開けませんでした</translation>
    </message>
    <message>
        <source>Run &apos;%1&apos; in a terminal</source>
        <translation>端末で「%1」を実行してください</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>desktop notifications are not available: %1</source>
        <translation>デスクトップ通知を利用できません: %1</translation>
    </message>
</context>
<context>
    <name>DurationText</name>
    <message>
        <source>under 1 min</source>
        <translation>1 分未満</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 分</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 時間 %2 分</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 時間</translation>
    </message>
    <message>
        <source>%1 d %2 h</source>
        <translation>%1 日 %2 時間</translation>
    </message>
    <message>
        <source>%1 d</source>
        <translation>%1 日</translation>
    </message>
    <message>
        <source>as of just now</source>
        <translation>たった今の時点</translation>
    </message>
    <message>
        <source>as of %1 ago</source>
        <translation>%1 前の時点</translation>
    </message>
</context>
<context>
    <name>FileKind</name>
    <message>
        <source>%1 is a FIFO, not a file</source>
        <translation>%1 はファイルではなく FIFO です</translation>
    </message>
    <message>
        <source>%1 is a socket, not a file</source>
        <translation>%1 はファイルではなくソケットです</translation>
    </message>
    <message>
        <source>%1 is a folder, not a file</source>
        <translation>%1 はファイルではなくフォルダーです</translation>
    </message>
    <message>
        <source>%1 is a device, not a file</source>
        <translation>%1 はファイルではなくデバイスです</translation>
    </message>
    <message>
        <source>%1 is a special file, not a file</source>
        <translation>%1 は通常のファイルではなく特殊ファイルです</translation>
    </message>
</context>
<context>
    <name>HistoryChart</name>
    <message>
        <source>No history yet: Tidemarker records each refresh from now on</source>
        <translation>まだ履歴がありません。これから更新のたびに Tidemarker が記録します</translation>
    </message>
    <message>
        <source>% used</source>
        <translation>使用率 (%)</translation>
    </message>
    <message>
        <source>%1 used</source>
        <translation>%1 使用済み</translation>
    </message>
</context>
<context>
    <name>HistoryConnection</name>
    <message>
        <source>Qt&apos;s SQLite driver is missing (Debian: libqt6sql6-sqlite)</source>
        <translation>Qt の SQLite ドライバーがありません (Debian: libqt6sql6-sqlite)</translation>
    </message>
    <message>
        <source>%1 was written by a newer Tidemarker (history version %2, this one reads up to %3)</source>
        <translation>%1 は新しい Tidemarker で書き込まれています (履歴のバージョン %2、このバージョンが読めるのは %3 まで)</translation>
    </message>
</context>
<context>
    <name>HistoryExport</name>
    <message>
        <source>cannot read the history: %1</source>
        <translation>履歴を読み込めません: %1</translation>
    </message>
</context>
<context>
    <name>HistoryFile</name>
    <message>
        <source>cannot make the folder %1</source>
        <translation>フォルダー %1 を作成できません</translation>
    </message>
    <message>
        <source>was damaged</source>
        <translation>は破損していました</translation>
    </message>
    <message>
        <source>lacks %1 of its version %2</source>
        <translation>にはバージョン %2 の %1 がありません</translation>
    </message>
    <message>
        <source>%1 %2 and cannot be moved aside</source>
        <translation>%1 %2。退避もできません</translation>
    </message>
    <message>
        <source>%1 %2: moved aside as %3, and a new one started</source>
        <translation>%1 %2: %3 として退避し、新しく作成しました</translation>
    </message>
</context>
<context>
    <name>HistoryReader</name>
    <message>
        <source>--days takes a whole number of days, 1 or more</source>
        <translation>--days には 1 以上の整数の日数を指定してください</translation>
    </message>
</context>
<context>
    <name>HistoryRender</name>
    <message>
        <source>--render-history needs the path of the PNG file to write</source>
        <translation>--render-history には書き出す PNG ファイルのパスが必要です</translation>
    </message>
    <message>
        <source>cannot read the history: %1</source>
        <translation>履歴を読み込めません: %1</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>1 day</source>
        <translation>1 日</translation>
    </message>
    <message numerus="yes">
        <source>%n days</source>
        <translation>
            <numerusform>%n 日</numerusform>
        </translation>
    </message>
    <message>
        <source>History</source>
        <translation>履歴</translation>
    </message>
    <message>
        <source>History — %1</source>
        <translation>履歴 — %1</translation>
    </message>
</context>
<context>
    <name>LocalNumberText</name>
    <message>
        <source>%1%</source>
        <extracomment>A percentage; the space before the sign, if any, as the language writes it.</extracomment>
        <translation>%1%</translation>
    </message>
</context>
<context>
    <name>MoneyText</name>
    <message>
        <source>%1 this month (no limit)</source>
        <translation>今月 %1 (上限なし)</translation>
    </message>
    <message>
        <source>%1 of %2 this month</source>
        <translation>今月 %1 / %2</translation>
    </message>
</context>
<context>
    <name>PaceAlerts</name>
    <message>
        <source>%1 is %2 used</source>
        <translation>%1 は %2 使用済み</translation>
    </message>
    <message>
        <source>%1 will run out in %2</source>
        <translation>%1 は %2 で使い切ります</translation>
    </message>
    <message>
        <source>%1 will run out in about %2</source>
        <translation>%1 は約 %2 で使い切ります</translation>
    </message>
    <message>
        <source>%1 left, resets in %2</source>
        <translation>残り %1、%2 後にリセット</translation>
    </message>
    <message>
        <source>; at this pace it lasts until the reset</source>
        <translation>。このペースならリセットまで持ちます</translation>
    </message>
    <message>
        <source>; at this pace it is used up %1 before the reset</source>
        <translation>。このペースではリセットの %1 前に使い切ります</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 はブロック中</translation>
    </message>
    <message>
        <source>%1 is blocked</source>
        <translation>%1 はブロックされています</translation>
    </message>
    <message>
        <source>The %1 is reached.</source>
        <translation>%1 に達しました。</translation>
    </message>
    <message>
        <source>and 1 more limit needs attention: %1</source>
        <translation>ほかに 1 件の上限に注意が必要です: %1</translation>
    </message>
    <message numerus="yes">
        <source>and %n more limits need attention: %1</source>
        <translation>
            <numerusform>ほかに %n 件の上限に注意が必要です: %1</numerusform>
        </translation>
    </message>
    <message>
        <source> and 1 other</source>
        <translation> ほか 1 件</translation>
    </message>
    <message numerus="yes">
        <source> and %n others</source>
        <translation>
            <numerusform> ほか %n 件</numerusform>
        </translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
    <message>
        <source>, 1 more limit near</source>
        <translation>、ほか 1 件の上限が間近</translation>
    </message>
    <message numerus="yes">
        <source>, %n more limits near</source>
        <translation>
            <numerusform>、ほか %n 件の上限が間近</numerusform>
        </translation>
    </message>
    <message>
        <source>Show history</source>
        <translation>履歴を表示</translation>
    </message>
</context>
<context>
    <name>ProviderDetailLines</name>
    <message>
        <source>unlimited</source>
        <translation>無制限</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>残り %1</translation>
    </message>
    <message>
        <source>and 1 more limit</source>
        <translation>ほか 1 件の上限</translation>
    </message>
    <message>
        <source>Resets banked: %1</source>
        <translation>保存済みのリセット: %1</translation>
    </message>
    <message>
        <source> · next expires %1</source>
        <translation> · 次の期限 %1</translation>
    </message>
    <message>
        <source>Blocked</source>
        <translation>ブロック中</translation>
    </message>
    <message>
        <source>Weekly by model: %1</source>
        <translation>モデル別 (週間): %1</translation>
    </message>
    <message>
        <source>Usage credits: %1</source>
        <translation>利用クレジット: %1</translation>
    </message>
    <message>
        <source>Spend: %1</source>
        <translation>支出: %1</translation>
    </message>
    <message>
        <source>Credits: %1</source>
        <translation>クレジット: %1</translation>
    </message>
    <message numerus="yes">
        <source>and %1 more limits</source>
        <translation>
            <numerusform>ほか %1 件の上限</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>%1: %2 holds a &quot;;&quot;, which begins a comment in this file; separate with commas, or put the value in double quotes; using %3</source>
        <translation>%1: %2 に「;」があります。このファイルでは「;」以降はコメントになります。カンマで区切るか、値を二重引用符で囲んでください。%3 を使います</translation>
    </message>
    <message>
        <source>%1: %2 &quot;%3&quot; is not %4; using %5</source>
        <translation>%1: %2 の「%3」は %4 ではありません。%5 を使います</translation>
    </message>
    <message>
        <source>%1: cannot be read (%2)</source>
        <translation>%1: 読み込めません (%2)</translation>
    </message>
    <message>
        <source>%1 is not a settings file (binary or over 64 KiB)</source>
        <translation>%1 は設定ファイルではありません (バイナリーか 64 KiB 超)</translation>
    </message>
    <message>
        <source>%1; using the defaults</source>
        <translation>%1。既定値を使います</translation>
    </message>
    <message>
        <source>%1: cannot be read; using the defaults</source>
        <translation>%1: 読み込めません。既定値を使います</translation>
    </message>
    <message>
        <source>colour, light or dark</source>
        <translation>colour、light、dark のいずれか</translation>
    </message>
    <message>
        <source>tightest or main</source>
        <translation>tightest か main</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation>true か false</translation>
    </message>
    <message>
        <source>a whole number from %1 to %2</source>
        <translation>%1 から %2 までの整数</translation>
    </message>
    <message>
        <source>a list of folders separated by commas, each an absolute path or one below ~, and labelled or not (work=~/.%1-work)</source>
        <translation>カンマ区切りのフォルダー一覧 (それぞれ絶対パスか ~ 以下のパス、ラベルは任意: work=~/.%1-work)</translation>
    </message>
    <message>
        <source>the one account</source>
        <translation>単一のアカウント</translation>
    </message>
    <message>
        <source>%1: %2 lists more than %3 folders; leaving out %4</source>
        <translation>%1: %2 のフォルダーが %3 個を超えています。%4 は除外します</translation>
    </message>
    <message>
        <source>cannot make the folder %1</source>
        <translation>フォルダー %1 を作成できません</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>%1 に書き込めません</translation>
    </message>
    <message>
        <source>one or more of %1 and %2, separated by commas</source>
        <translation>%1 と %2 のうち一つ以上をカンマ区切りで</translation>
    </message>
    <message>
        <source>one or two providers, separated by a comma</source>
        <translation>一つまたは二つのプロバイダーをカンマ区切りで</translation>
    </message>
    <message>
        <source>the first two shown</source>
        <translation>表示中の最初の二つ</translation>
    </message>
    <message>
        <source>a list of key names separated by commas, each of lower-case letters, digits and dashes, and labelled or not (work=%1-1f2e3d4c)</source>
        <translation>カンマ区切りのキー名の一覧。各名前は小文字・数字・ハイフンから成り、ラベルは任意 (work=%1-1f2e3d4c)</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Providers</source>
        <translation>プロバイダー</translation>
    </message>
    <message>
        <source>Codex and Claude</source>
        <translation>Codex と Claude</translation>
    </message>
    <message>
        <source>Codex only</source>
        <translation>Codex のみ</translation>
    </message>
    <message>
        <source>Claude only</source>
        <translation>Claude のみ</translation>
    </message>
    <message>
        <source>Tray icon</source>
        <translation>トレイアイコン</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>カラー</translation>
    </message>
    <message>
        <source>Light, for a dark panel</source>
        <translation>ライト (暗いパネル向け)</translation>
    </message>
    <message>
        <source>Dark, for a light panel</source>
        <translation>ダーク (明るいパネル向け)</translation>
    </message>
    <message>
        <source>Gauge shows</source>
        <translation>ゲージの表示</translation>
    </message>
    <message>
        <source>the tightest limits</source>
        <translation>最も厳しい上限</translation>
    </message>
    <message>
        <source>the 5-hour and weekly windows</source>
        <translation>5 時間と週間のウィンドウ</translation>
    </message>
    <message>
        <source>Show pace a&amp;lerts</source>
        <translation>ペースの警告を表示(&amp;L)</translation>
    </message>
    <message>
        <source>Alert when a window is used up to, in percent</source>
        <translation>ウィンドウの使用率がこの値 (%) に達したら警告</translation>
    </message>
    <message>
        <source> %</source>
        <translation> %</translation>
    </message>
    <message>
        <source>Refresh every, in seconds</source>
        <translation>更新間隔 (秒)</translation>
    </message>
    <message>
        <source> s</source>
        <translation> 秒</translation>
    </message>
    <message>
        <source>Read the assistants&apos; logs to show where the usage &amp;went</source>
        <translation>アシスタントのログを読んで使用量の内訳を表示(&amp;W)</translation>
    </message>
    <message>
        <source>Show when each window re&amp;sets</source>
        <translation>各ウィンドウのリセット時刻を表示(&amp;S)</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Show pace alerts</source>
        <translation>ペースの警告を表示</translation>
    </message>
    <message>
        <source>Read the assistants&apos; logs to show where the usage went</source>
        <translation>アシスタントのログを読んで使用量の内訳を表示</translation>
    </message>
    <message>
        <source>Show when each window resets</source>
        <translation>各ウィンドウのリセット時刻を表示</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>適用(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Providers:</source>
        <translation>プロバイダー(&amp;P):</translation>
    </message>
    <message>
        <source>Tray &amp;icon:</source>
        <translation>トレイアイコン(&amp;I):</translation>
    </message>
    <message>
        <source>&amp;Gauge shows:</source>
        <translation>ゲージの表示(&amp;G):</translation>
    </message>
    <message>
        <source>Alert when &amp;used:</source>
        <translation>警告する使用率(&amp;U):</translation>
    </message>
    <message>
        <source>&amp;Refresh every:</source>
        <translation>更新間隔(&amp;R):</translation>
    </message>
    <message>
        <source>Accou&amp;nts</source>
        <translation>アカウント(&amp;N)</translation>
    </message>
    <message>
        <source>The settings could not be saved: %1</source>
        <translation>設定を保存できませんでした: %1</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 と %2</translation>
    </message>
    <message>
        <source>Gauge hands</source>
        <translation>ゲージの針</translation>
    </message>
    <message>
        <source>Gauge &amp;hands:</source>
        <translation>ゲージの針(&amp;H):</translation>
    </message>
</context>
<context>
    <name>SharedBreakdown</name>
    <message>
        <source>Tidemarker is quitting</source>
        <translation>Tidemarker は終了中です</translation>
    </message>
</context>
<context>
    <name>StatusCommand</name>
    <message>
        <source>Tidemarker not running</source>
        <translation>Tidemarker は起動していません</translation>
    </message>
    <message>
        <source>Tidemarker not answering</source>
        <translation>Tidemarker が応答しません</translation>
    </message>
    <message>
        <source>Tidemarker&apos;s snapshot could not be read</source>
        <translation>Tidemarker のスナップショットを読み込めませんでした</translation>
    </message>
    <message>
        <source>--account takes the label of an account, as the menu shows it after the middle dot</source>
        <translation>--account にはメニューで中黒の後に表示されるアカウントのラベルを指定してください</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>予期しない引数「%1」</translation>
    </message>
    <message>
        <source>unknown history format &quot;%1&quot;: use csv or json</source>
        <translation>不明な履歴の形式「%1」: csv か json を指定してください</translation>
    </message>
    <message>
        <source>--history prints the record once and takes only --days and --format</source>
        <translation>--history は記録を一度だけ出力し、--days と --format のみ指定できます</translation>
    </message>
    <message>
        <source>unknown breakdown format &quot;%1&quot;: use text or json</source>
        <translation>不明な内訳の形式「%1」: text か json を指定してください</translation>
    </message>
    <message>
        <source>--breakdown prints once and takes only --format and --account</source>
        <translation>--breakdown は一度だけ出力し、--format と --account のみ指定できます</translation>
    </message>
    <message>
        <source>Prints the rate-limit usage that the running Tidemarker holds, for status bars and scripts.
Text is one line: each provider&apos;s worst window, its remaining share and its pace.</source>
        <translation>実行中の Tidemarker が保持しているレート制限の使用状況を、ステータスバーやスクリプト向けに出力します。
テキストは 1 行で、各プロバイダーの最も厳しいウィンドウ、その残量とペースを示します。</translation>
    </message>
    <message>
        <source>text (default), json or waybar; with --history csv (default) or json.</source>
        <translation>text (既定)、json、waybar のいずれか。--history では csv (既定) か json。</translation>
    </message>
    <message>
        <source>format</source>
        <translation>形式</translation>
    </message>
    <message>
        <source>Stay running and print a new line on every change.</source>
        <translation>実行を続け、変化のたびに新しい行を出力します。</translation>
    </message>
    <message>
        <source>Ask Tidemarker to refresh first.</source>
        <translation>先に Tidemarker に更新を求めます。</translation>
    </message>
    <message>
        <source>When Tidemarker is not running, ask the accounts of its settings file once directly. Claude limits its usage endpoint hard: not more often than every 4 minutes.</source>
        <translation>Tidemarker が起動していないとき、設定ファイルのアカウントに一度だけ直接問い合わせます。Claude は使用状況のエンドポイントを厳しく制限しています: 4 分に 1 回まで。</translation>
    </message>
    <message>
        <source>Print the recorded usage history instead.</source>
        <translation>代わりに記録された使用履歴を出力します。</translation>
    </message>
    <message>
        <source>With --history: only the last N days.</source>
        <translation>--history と共に: 直近 N 日分のみ。</translation>
    </message>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>Only the account of this label.</source>
        <translation>このラベルのアカウントのみ。</translation>
    </message>
    <message>
        <source>LABEL</source>
        <translation>ラベル</translation>
    </message>
    <message>
        <source>Print where each current window&apos;s usage went, by project and model, from the assistants&apos; logs (text or json).</source>
        <translation>アシスタントのログから、現在の各ウィンドウの使用量の内訳をプロジェクト別・モデル別に出力します (text か json)。</translation>
    </message>
    <message>
        <source>--days goes with --history</source>
        <translation>--days は --history と共に使います</translation>
    </message>
    <message>
        <source>unknown format &quot;%1&quot;: use text, json or waybar</source>
        <translation>不明な形式「%1」: text、json、waybar のいずれかを指定してください</translation>
    </message>
    <message>
        <source>--fetch asks once and cannot follow</source>
        <translation>--fetch は一度だけ問い合わせるため、追跡できません</translation>
    </message>
    <message>
        <source>no session bus to reach Tidemarker on; use --fetch for one direct refresh</source>
        <translation>Tidemarker に届くセッションバスがありません。直接一度更新するには --fetch を使ってください</translation>
    </message>
    <message>
        <source>Tidemarker is not running in this session; start it, or use --fetch for one direct refresh</source>
        <translation>このセッションでは Tidemarker が起動していません。起動するか、直接一度更新するには --fetch を使ってください</translation>
    </message>
    <message>
        <source>Tidemarker did not answer: %1</source>
        <translation>Tidemarker が応答しませんでした: %1</translation>
    </message>
    <message>
        <source>no session bus to follow Tidemarker on</source>
        <translation>Tidemarker を追跡するセッションバスがありません</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in %2</source>
        <translation>%2 にラベル「%1」のアカウントはありません</translation>
    </message>
    <message>
        <source>no session bus to reach Tidemarker on</source>
        <translation>Tidemarker に届くセッションバスがありません</translation>
    </message>
    <message>
        <source>Tidemarker is not running in this session; the breakdown comes from it</source>
        <translation>このセッションでは Tidemarker が起動していません。内訳は Tidemarker から得られます</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in Tidemarker&apos;s breakdown</source>
        <translation>Tidemarker の内訳にラベル「%1」のアカウントはありません</translation>
    </message>
    <message>
        <source>no account labelled &quot;%1&quot; in Tidemarker&apos;s snapshot</source>
        <translation>Tidemarker のスナップショットにラベル「%1」のアカウントはありません</translation>
    </message>
</context>
<context>
    <name>StatusFormat</name>
    <message>
        <source> (cached)</source>
        <translation> (キャッシュ)</translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 ブロック中</translation>
    </message>
    <message>
        <source>%1 signed out</source>
        <translation>%1 サインアウト</translation>
    </message>
    <message>
        <source>%1 unavailable</source>
        <translation>%1 利用不可</translation>
    </message>
    <message>
        <source>%1 %2 %3 %4%5</source>
        <translation>%1 %2 %3 %4%5</translation>
    </message>
    <message>
        <source>usage unavailable</source>
        <translation>使用状況を取得できません</translation>
    </message>
    <message>
        <source>%1 %2: %3 left, %4 %5, resets in %6%7</source>
        <translation>%1 %2: 残り %3、%4 %5、%6 後にリセット%7</translation>
    </message>
</context>
<context>
    <name>StatusItemController</name>
    <message>
        <source>History…</source>
        <translation>履歴…</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>設定…</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source> — blocked</source>
        <translation> — ブロック中</translation>
    </message>
    <message>
        <source> (cached)</source>
        <translation> (キャッシュ)</translation>
    </message>
    <message>
        <source>usage unavailable</source>
        <translation>使用状況を取得できません</translation>
    </message>
    <message>
        <source>Sign in to %1…</source>
        <translation>%1 にサインイン…</translation>
    </message>
</context>
<context>
    <name>StoredText</name>
    <message>
        <source>not signed in to Claude Code</source>
        <translation>Claude Code にサインインしていません</translation>
    </message>
    <message>
        <source>unexpected credential/usage format</source>
        <translation>認証情報または使用状況の形式が想定外です</translation>
    </message>
    <message>
        <source>usage fetch failed</source>
        <translation>使用状況の取得に失敗しました</translation>
    </message>
    <message>
        <source>usage fetch failed (HTTP %1)</source>
        <translation>使用状況の取得に失敗しました (HTTP %1)</translation>
    </message>
    <message>
        <source>token rejected — open Claude Code to refresh</source>
        <translation>トークンが拒否されました — Claude Code を開いて更新してください</translation>
    </message>
    <message>
        <source>token expired — sign in to refresh</source>
        <translation>トークンの期限切れ — サインインして更新してください</translation>
    </message>
    <message>
        <source>no usage windows in response</source>
        <translation>応答に使用状況のウィンドウがありません</translation>
    </message>
    <message>
        <source>no rate limits reported for this plan</source>
        <translation>このプランではレート制限が報告されていません</translation>
    </message>
    <message>
        <source>no Codex auth (%1)</source>
        <translation>Codex の認証情報がありません (%1)</translation>
    </message>
    <message>
        <source>%1 is not valid UTF-8</source>
        <translation>%1 は正しい UTF-8 ではありません</translation>
    </message>
    <message>
        <source>%1 is not a JSON object</source>
        <translation>%1 は JSON オブジェクトではありません</translation>
    </message>
    <message>
        <source>%1 is not valid JSON: %2 at offset %3</source>
        <translation>%1 は正しい JSON ではありません: 位置 %3 で %2</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 を読み込めません: %2</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>通常のファイルではありません</translation>
    </message>
    <message>
        <source>larger than 1 MiB</source>
        <translation>1 MiB を超えています</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; %3</source>
        <translation>%1: 「%2」%3</translation>
    </message>
    <message>
        <source>is not an object</source>
        <translation>はオブジェクトではありません</translation>
    </message>
    <message>
        <source>is not a string</source>
        <translation>は文字列ではありません</translation>
    </message>
    <message>
        <source>is not a number</source>
        <translation>は数値ではありません</translation>
    </message>
    <message>
        <source>is missing</source>
        <translation>がありません</translation>
    </message>
    <message>
        <source>is null</source>
        <translation>は null です</translation>
    </message>
    <message>
        <source>usage response</source>
        <translation>使用状況の応答</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>request timed out (no data for %1 s)</source>
        <translation>要求がタイムアウトしました (%1 秒間データなし)</translation>
    </message>
    <message>
        <source>request took longer than %1 s</source>
        <translation>要求に %1 秒以上かかりました</translation>
    </message>
    <message>
        <source>response too large (over %1 bytes)</source>
        <translation>応答が大きすぎます (%1 バイト超)</translation>
    </message>
    <message>
        <source>request cancelled</source>
        <translation>要求は取り消されました</translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation>リダイレクトが多すぎます</translation>
    </message>
    <message>
        <source>redirect to %1 not followed: only the same origin may receive the token</source>
        <translation>%1 へのリダイレクトには従いません: トークンを受け取れるのは同じオリジンのみです</translation>
    </message>
    <message>
        <source>request failed (network error %1)</source>
        <translation>要求に失敗しました (ネットワークエラー %1)</translation>
    </message>
    <message>
        <source>response ended early (%1 of %2 bytes)</source>
        <translation>応答が途中で終わりました (%2 バイト中 %1 バイト)</translation>
    </message>
    <message>
        <source>rate-limited — retrying</source>
        <translation>レート制限中 — 再試行します</translation>
    </message>
    <message>
        <source>the last request failed — retrying</source>
        <translation>前回の要求は失敗しました — 再試行します</translation>
    </message>
    <message>
        <source>waiting to ask again</source>
        <translation>再度問い合わせるまで待機中</translation>
    </message>
    <message>
        <source>usage limit</source>
        <translation>使用上限</translation>
    </message>
    <message>
        <source>Code review</source>
        <translation>コードレビュー</translation>
    </message>
    <message>
        <source>Routines weekly</source>
        <translation>ルーチン 週間</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>モデル</translation>
    </message>
    <message>
        <source>5h</source>
        <translation>5時間</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>週間</translation>
    </message>
    <message>
        <source>30-day</source>
        <translation>30日間</translation>
    </message>
    <message>
        <source>%1-day</source>
        <translation>%1日間</translation>
    </message>
    <message>
        <source>%1h</source>
        <translation>%1時間</translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation>月間</translation>
    </message>
    <message>
        <source>not signed in — run `kimi login`</source>
        <translation>サインインしていません — `kimi login` を実行してください</translation>
    </message>
    <message>
        <source>sign-in expired — run `kimi login`</source>
        <translation>サインインの期限が切れました — `kimi login` を実行してください</translation>
    </message>
    <message>
        <source>the sign-in was refused — run `kimi login`</source>
        <translation>サインインが拒否されました — `kimi login` を実行してください</translation>
    </message>
    <message>
        <source>not signed in — run `gh auth login`</source>
        <translation>サインインしていません — `gh auth login` を実行してください</translation>
    </message>
    <message>
        <source>the GitHub sign-in was refused — run `gh auth login`</source>
        <translation>GitHub のサインインが拒否されました — `gh auth login` を実行してください</translation>
    </message>
    <message>
        <source>this GitHub sign-in cannot see Copilot usage</source>
        <translation>この GitHub サインインでは Copilot の使用状況を参照できません</translation>
    </message>
    <message>
        <source>no limit on premium requests for this plan</source>
        <translation>このプランではプレミアムリクエストに上限はありません</translation>
    </message>
    <message>
        <source>Tool calls</source>
        <translation>ツール呼び出し</translation>
    </message>
    <message>
        <source>the key was refused</source>
        <translation>キーが拒否されました</translation>
    </message>
    <message>
        <source>no API key — add one in Settings or set ZAI_API_KEY</source>
        <translation>API キーがありません — 設定で追加するか ZAI_API_KEY を設定してください</translation>
    </message>
    <message>
        <source>the keyring did not give the key: %1</source>
        <translation>キーリングからキーを取得できませんでした: %1</translation>
    </message>
    <message>
        <source>is not an array</source>
        <translation>は配列ではありません</translation>
    </message>
    <message>
        <source>%1 (code %2)</source>
        <translation>%1 (コード %2)</translation>
    </message>
</context>
<context>
    <name>TidemarkerApp</name>
    <message>
        <source>Qt&apos;s &quot;%1&quot; platform has no system tray; start tidemarker in an X11 or Wayland desktop session, or use &apos;tidemarker --render PATH&apos;, which needs none</source>
        <translation>Qt の「%1」プラットフォームにはシステムトレイがありません。X11 か Wayland のデスクトップセッションで tidemarker を起動するか、トレイの要らない「tidemarker --render PATH」を使ってください</translation>
    </message>
    <message>
        <source>Where it went</source>
        <translation>内訳</translation>
    </message>
</context>
<context>
    <name>TrayAvailability</name>
    <message>
        <source>no system tray found; waiting for an X11 tray or a StatusNotifierItem host to appear</source>
        <translation>システムトレイが見つかりません。X11 のトレイか StatusNotifierItem のホストが現れるのを待っています</translation>
    </message>
    <message>
        <source>no system tray found; waiting for a StatusNotifierItem host (a panel&apos;s tray) to appear</source>
        <translation>システムトレイが見つかりません。StatusNotifierItem のホスト (パネルのトレイ) が現れるのを待っています</translation>
    </message>
</context>
<context>
    <name>UsageBreakdown</name>
    <message>
        <source>reading the assistants&apos; logs is turned off (setting breakdown)</source>
        <translation>アシスタントのログの読み込みはオフです (設定 breakdown)</translation>
    </message>
    <message>
        <source>Tidemarker is quitting</source>
        <translation>Tidemarker は終了中です</translation>
    </message>
</context>
<context>
    <name>UsageBusService</name>
    <message>
        <source>no session bus; status bars and tidemarker-status cannot read the usage</source>
        <translation>セッションバスがありません。ステータスバーと tidemarker-status は使用状況を読めません</translation>
    </message>
    <message>
        <source>cannot publish the usage on the session bus: %1</source>
        <translation>セッションバスに使用状況を公開できません: %1</translation>
    </message>
    <message>
        <source>already running in this session</source>
        <translation>このセッションで既に起動しています</translation>
    </message>
</context>
<context>
    <name>UsageModels</name>
    <message>
        <source>High</source>
        <translation>高い</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>低い</translation>
    </message>
    <message>
        <source>Good</source>
        <translation>良好</translation>
    </message>
    <message>
        <source>Tidemarker: usage unavailable</source>
        <translation>Tidemarker: 使用状況を取得できません</translation>
    </message>
</context>
<context>
    <name>WindowLineText</name>
    <message>
        <source> · resets %1</source>
        <translation> · %1 にリセット</translation>
    </message>
    <message>
        <source>%1: %2 left, %3 %4</source>
        <translation>%1: 残り %2、%3 %4</translation>
    </message>
    <message>
        <source> · blocked</source>
        <translation> · ブロック中</translation>
    </message>
    <message>
        <source>%1 %2 left</source>
        <translation>%1 残り %2</translation>
    </message>
    <message>
        <source>%1 blocked</source>
        <translation>%1 ブロック中</translation>
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
        <translation>使い方: tidemarker [--render [PATH] | --render-history PATH [--days N] | --help | --version]

Claude と Codex の各レート制限ウィンドウが、均等なペースに対してどれだけ
残っているかをシステムトレイに表示します: ゲージのアイコン、ツールチップ、
メニュー、デスクトップの警告。

  --render [PATH]  サンプルのゲージを並べた画像を PATH (既定は
                   tidemarker-preview.png) に描いて終了します。ディスプレイ不要
  --render-history PATH [--days N]
                   使用履歴の直近 N 日分 (指定がなければ 7 日) のグラフを
                   PATH に描いて終了します。ディスプレイ不要
  --help           このヘルプを表示して終了します
  --version        バージョンを表示して終了します

その他の引数は無視されます。設定は
$XDG_CONFIG_HOME/tidemarker/tidemarker.conf (既定は
~/.config/tidemarker/tidemarker.conf) から読み込まれ、メニューの「設定…」で編集できます。
tidemarker(1) も参照してください。
</translation>
    </message>
    <message>
        <source>no display could be opened; start tidemarker in a desktop session (DISPLAY or WAYLAND_DISPLAY set), or use &apos;tidemarker --render PATH&apos;, which needs none</source>
        <translation>ディスプレイを開けませんでした。デスクトップセッション (DISPLAY か WAYLAND_DISPLAY を設定) で tidemarker を起動するか、ディスプレイの要らない「tidemarker --render PATH」を使ってください</translation>
    </message>
</context>
</TS>
