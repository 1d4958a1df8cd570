<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>ErrorText</name>
    <message>
        <source>WData.csvファイルが存在しません。</source>
        <translation>The file WData.csv does not exist.</translation>
    </message>
    <message>
        <source>通常のファイルではありません: %1 (%2)</source>
        <translation>Not a regular file: %1 (%2)</translation>
    </message>
    <message>
        <source>ファイルを読み込めません: %1</source>
        <translation>Cannot read the file: %1</translation>
    </message>
    <message>
        <source>UTF-8 でも Shift_JIS でもない文字があります</source>
        <translation>a character that is neither UTF-8 nor Shift_JIS</translation>
    </message>
    <message>
        <source>空行です</source>
        <translation>empty line</translation>
    </message>
    <message>
        <source>列が多すぎます（列は,で区切って11個ですが、区切りが%1個あります）</source>
        <translation>too many columns (11 columns separated by commas, but there are %1 commas)</translation>
    </message>
    <message>
        <source>%1列が空です</source>
        <translation>%1 column is empty</translation>
    </message>
    <message>
        <source>（列は,で区切って11個必要ですが、区切りが%1個しかありません）</source>
        <translation> (11 columns separated by commas are needed, but there are only %1 commas)</translation>
    </message>
    <message>
        <source>%1列 %2 は整数ではありません</source>
        <translation>%1 column %2 is not an integer</translation>
    </message>
    <message>
        <source>%1列 %2 は32ビット整数の範囲を超えています</source>
        <translation>%1 column %2 is outside the 32-bit integer range</translation>
    </message>
    <message>
        <source>%1列 %2 は数値ではありません</source>
        <translation>%1 column %2 is not a number</translation>
    </message>
    <message>
        <source>%1列 %2 は大きすぎるか小さすぎる数値です</source>
        <translation>%1 column %2 is too large or too small a number</translation>
    </message>
    <message>
        <source>%1列 %2 は正の整数でなければなりません</source>
        <translation>%1 column %2 must be a positive integer</translation>
    </message>
    <message>
        <source>%1列 %2 は負の数にはできません</source>
        <translation>%1 column %2 cannot be negative</translation>
    </message>
    <message>
        <source>%1行目: %2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>CSVFileのエラーです。</source>
        <translation>Error in the CSV file.</translation>
    </message>
    <message>
        <source>UTF-8 でも Shift_JIS でもない文字があります（%1 バイト目）。</source>
        <translation>A character is neither UTF-8 nor Shift_JIS (byte %1).</translation>
    </message>
    <message>
        <source>Shift_JIS で表せない文字があります（%1 バイト目）。</source>
        <translation>Shift_JIS cannot hold a character (byte %1).</translation>
    </message>
    <message>
        <source>括弧の数が一致していません。式を再点検してください。</source>
        <translation>Number of bracket is miss-matching. Review your expression.</translation>
    </message>
    <message>
        <source>誤った表記が見られます。修正して下さい。</source>
        <translation>The expression is improper. Please check it.</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>フォルダです</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>名前付きパイプです</source>
        <translation>it is a named pipe</translation>
    </message>
    <message>
        <source>キャラクタデバイスです</source>
        <translation>it is a character device</translation>
    </message>
    <message>
        <source>ブロックデバイスです</source>
        <translation>it is a block device</translation>
    </message>
    <message>
        <source>ソケットです</source>
        <translation>it is a socket</translation>
    </message>
    <message>
        <source>通常のファイルではありません</source>
        <translation>it is not a regular file</translation>
    </message>
</context>
<context>
    <name>TCopyAction</name>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
</context>
<context>
    <name>TFormulaEditor</name>
    <message>
        <source>標準の計算式</source>
        <translation>Standard formula</translation>
    </message>
    <message>
        <source>クリックすると変数を入力位置に挿入します</source>
        <translation>Click a variable to insert it at the cursor</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>%1 %2 → %3</source>
        <translation>%1 %2 → %3</translation>
    </message>
    <message>
        <source>設定テキストではありません</source>
        <translation>not a setup text</translation>
    </message>
    <message>
        <source>知らない版です</source>
        <translation>unknown version</translation>
    </message>
    <message>
        <source>「名前=値」の形ではありません</source>
        <translation>not of the form &quot;name=value&quot;</translation>
    </message>
    <message>
        <source>知らない項目です</source>
        <translation>unknown field</translation>
    </message>
    <message>
        <source>項目が足りません</source>
        <translation>a field is missing</translation>
    </message>
    <message>
        <source>同じ項目が二度あります</source>
        <translation>the same field twice</translation>
    </message>
    <message>
        <source>%の書き方が正しくありません</source>
        <translation>a % not followed by two hex digits, or a character that must be encoded</translation>
    </message>
    <message>
        <source>武器の名前がありません</source>
        <translation>no weapon name</translation>
    </message>
    <message>
        <source>ステータスが6つではありません</source>
        <translation>not six inputs</translation>
    </message>
    <message>
        <source>整数ではありません</source>
        <translation>not an integer</translation>
    </message>
    <message>
        <source>負の値です</source>
        <translation>a negative value</translation>
    </message>
    <message>
        <source>スキルが100を超えています</source>
        <translation>a skill above 100</translation>
    </message>
    <message>
        <source>丸め方は0から3です</source>
        <translation>the rounding mode is 0 to 3</translation>
    </message>
    <message>
        <source>切り上げ</source>
        <translation>Round up</translation>
    </message>
    <message>
        <source>切り捨て</source>
        <translation>Round down</translation>
    </message>
    <message>
        <source>四捨五入</source>
        <translation>Round half away from zero</translation>
    </message>
    <message>
        <source>0.5秒単位に切り上げ</source>
        <translation>rounded up to half a second</translation>
    </message>
    <message>
        <source>Quillmarch</source>
        <translation>Quillmarch</translation>
    </message>
    <message>
        <source>Ver1.02</source>
        <translation>Ver1.02</translation>
    </message>
    <message>
        <source>TYPE:</source>
        <translation>TYPE:</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>Speed:</translation>
    </message>
    <message>
        <source>Exceptional</source>
        <translation>Exceptional</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>Low:</source>
        <translation>Low:</translation>
    </message>
    <message>
        <source>High:</source>
        <translation>High:</translation>
    </message>
    <message>
        <source>Ave:</source>
        <translation>Ave:</translation>
    </message>
    <message>
        <source>Profile</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>STR</source>
        <translation>STR</translation>
    </message>
    <message>
        <source>Tactics</source>
        <translation>Tactics</translation>
    </message>
    <message>
        <source>Anatomy</source>
        <translation>Anatomy</translation>
    </message>
    <message>
        <source>Lumberjack</source>
        <translation>Lumberjack</translation>
    </message>
    <message>
        <source>DEX</source>
        <translation>DEX</translation>
    </message>
    <message>
        <source>INT</source>
        <translation>INT</translation>
    </message>
    <message>
        <source>次に短いディレイまでに要るDEXと、そのディレイ</source>
        <translation>The DEX needed for the next shorter delay, and that delay</translation>
    </message>
    <message>
        <source>上段：DEX 下段：ディレイ</source>
        <translation>Upper row: DEX  Lower row: delay</translation>
    </message>
    <message>
        <source>新しい名前</source>
        <translation>New name</translation>
    </message>
    <message>
        <source>名前を付けたステータス。新しい名前を入力して Save で追加</source>
        <translation>Named stats. Type a new name and press Save to add it</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Rename…</source>
        <translation>Rename…</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Save page as PNG…</source>
        <translation>Save page as PNG…</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Copy setup</source>
        <translation>Copy setup</translation>
    </message>
    <message>
        <source>Paste setup</source>
        <translation>Paste setup</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>Option</translation>
    </message>
    <message>
        <source>Find weapon</source>
        <translation>Find weapon</translation>
    </message>
    <message>
        <source>Pin</source>
        <translation>Pin</translation>
    </message>
    <message>
        <source>今の武器とステータスを比較用にピン留め（Ctrl+D、6つまで）</source>
        <translation>Pin the current weapon and stats for comparison (Ctrl+D, up to 6)</translation>
    </message>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>白：HQと同程度 薄青：HQより下 薄赤：HQより上</source>
        <translation>White: same as HQ  Light blue: below HQ  Light red: above HQ</translation>
    </message>
    <message>
        <source>左Dクリック：標準位置 左ドラッグ：ズーム 右ドラッグ：移動</source>
        <translation>Left double-click: standard view  Left drag: zoom  Right drag: move</translation>
    </message>
    <message>
        <source>MagicDamages</source>
        <translation>MagicDamages</translation>
    </message>
    <message>
        <source>SpreadChart</source>
        <translation>SpreadChart</translation>
    </message>
    <message>
        <source>WeaponSpeed</source>
        <translation>WeaponSpeed</translation>
    </message>
    <message>
        <source>RaderChart</source>
        <translation>RaderChart</translation>
    </message>
    <message>
        <source>Ranking</source>
        <translation>Ranking</translation>
    </message>
    <message>
        <source>Compare</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>WeaponName</source>
        <translation>WeaponName</translation>
    </message>
    <message>
        <source>WType</source>
        <translation>WType</translation>
    </message>
    <message>
        <source>WSpeed</source>
        <translation>WSpeed</translation>
    </message>
    <message>
        <source>DamageMethod</source>
        <translation>DamageMethod</translation>
    </message>
    <message>
        <source>HQLow</source>
        <translation>HQLow</translation>
    </message>
    <message>
        <source>HQHigh</source>
        <translation>HQHigh</translation>
    </message>
    <message>
        <source>HQAve</source>
        <translation>HQAve</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>PNGファイルを保存できませんでした。</source>
        <translation>The PNG file could not be saved.</translation>
    </message>
    <message>
        <source>Save page as PNG</source>
        <translation>Save page as PNG</translation>
    </message>
    <message>
        <source>PNG (*.png)</source>
        <translation>PNG (*.png)</translation>
    </message>
    <message>
        <source>標準の計算式を使います。</source>
        <translation>The standard formula is used.</translation>
    </message>
    <message>
        <source>options</source>
        <translation>options</translation>
    </message>
    <message>
        <source>pick %1</source>
        <translation>pick %1</translation>
    </message>
    <message>
        <source>ダメージの計算式（%1）:</source>
        <translation>Damage formula (%1):</translation>
    </message>
    <message>
        <source>速度の計算式（%1）:</source>
        <translation>Speed formula (%1):</translation>
    </message>
    <message>
        <source>+%1 DEX → %2sec</source>
        <translation>+%1 DEX → %2sec</translation>
    </message>
    <message>
        <source>pin %1</source>
        <translation>pin %1</translation>
    </message>
    <message>
        <source>unpin %1</source>
        <translation>unpin %1</translation>
    </message>
    <message>
        <source>move pin %1</source>
        <translation>move pin %1</translation>
    </message>
    <message>
        <source>武器表に見つからないピンを外しました:</source>
        <translation>Pins whose weapon is not in the weapon table were removed:</translation>
    </message>
    <message>
        <source>比較（%1）:</source>
        <translation>Compare (%1):</translation>
    </message>
    <message>
        <source>Current: %1</source>
        <translation>Current: %1</translation>
    </message>
    <message>
        <source>profile %1</source>
        <translation>profile %1</translation>
    </message>
    <message>
        <source>プロファイルの名前を入力してください。</source>
        <translation>Please enter a name for the profile.</translation>
    </message>
    <message>
        <source>同じ名前のプロファイルがあります: %1</source>
        <translation>A profile of that name exists already: %1</translation>
    </message>
    <message>
        <source>Rename profile</source>
        <translation>Rename profile</translation>
    </message>
    <message>
        <source>新しい名前:</source>
        <translation>New name:</translation>
    </message>
    <message>
        <source>読み込めないプロファイルを外しました:</source>
        <translation>Profiles that could not be read were removed:</translation>
    </message>
    <message>
        <source>武器を選んでからコピーしてください。</source>
        <translation>Please pick a weapon before copying.</translation>
    </message>
    <message>
        <source>設定テキストを貼り付けられません（%1文字目「%2」）: %3</source>
        <translation>The setup text cannot be pasted (character %1, &quot;%2&quot;): %3</translation>
    </message>
    <message>
        <source>武器表にない武器です: %1</source>
        <translation>The weapon is not in the weapon table: %1</translation>
    </message>
    <message>
        <source>貼り付けた計算式を使えません:</source>
        <translation>The pasted formula cannot be used:</translation>
    </message>
    <message>
        <source>貼り付けた計算式と丸め方も使いますか？</source>
        <translation>Use the pasted formulas and rounding as well?</translation>
    </message>
    <message>
        <source>paste %1</source>
        <translation>paste %1</translation>
    </message>
    <message>
        <source>拡大</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>実際のサイズ</source>
        <translation>Actual size</translation>
    </message>
    <message>
        <source>次のページ</source>
        <translation>Next page</translation>
    </message>
    <message>
        <source>前のページ</source>
        <translation>Previous page</translation>
    </message>
    <message>
        <source>ユーザーガイド</source>
        <translation>User guide</translation>
    </message>
    <message>
        <source>View</source>
        <translation>View</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ユーザーガイドを開けませんでした: %1</source>
        <translation>Could not open the user guide: %1</translation>
    </message>
    <message>
        <source>ユーザーガイド（README.md）が見つかりません。探した場所:</source>
        <translation>The user guide (README.md) was not found. Looked in:</translation>
    </message>
</context>
<context>
    <name>TOptionDlg</name>
    <message>
        <source>Option</source>
        <translation>Option</translation>
    </message>
    <message>
        <source>Anatomy</source>
        <translation>Anatomy</translation>
    </message>
    <message>
        <source>Anatomy の最大修正を40%にする</source>
        <translation>Make the largest Anatomy bonus 40%</translation>
    </message>
    <message>
        <source>Damage計算結果の小数点</source>
        <translation>Decimals of the damage</translation>
    </message>
    <message>
        <source>切り上げ</source>
        <translation>Round up</translation>
    </message>
    <message>
        <source>切り捨て</source>
        <translation>Round down</translation>
    </message>
    <message>
        <source>四捨五入</source>
        <translation>Round half away from zero</translation>
    </message>
    <message>
        <source>小数点も表示する</source>
        <translation>Show decimals</translation>
    </message>
    <message>
        <source>計算式</source>
        <translation>Formula</translation>
    </message>
    <message>
        <source>(Damage*(TacticsR+(STR/500)+AnatomyR+LumberjR))/2+Plus</source>
        <translation>(Damage*(TacticsR+(STR/500)+AnatomyR+LumberjR))/2+Plus</translation>
    </message>
    <message>
        <source>以前の計算式</source>
        <translation>Former formula</translation>
    </message>
    <message>
        <source>自分で入力した計算式</source>
        <translation>My own formula</translation>
    </message>
    <message>
        <source>言語</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>システム</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Base</source>
        <translation>Base</translation>
    </message>
    <message>
        <source>Damage計算式</source>
        <translation>Damage formula</translation>
    </message>
    <message>
        <source>MagicDamages</source>
        <translation>MagicDamages</translation>
    </message>
    <message>
        <source>3D View</source>
        <translation>3D View</translation>
    </message>
    <message>
        <source>2D 表示</source>
        <translation>2D view</translation>
    </message>
    <message>
        <source>3D 表示</source>
        <translation>3D view</translation>
    </message>
    <message>
        <source>SpreadChart</source>
        <translation>SpreadChart</translation>
    </message>
    <message>
        <source>武器Speed計算式</source>
        <translation>Weapon speed formula</translation>
    </message>
    <message>
        <source>WeaponSpeed</source>
        <translation>WeaponSpeed</translation>
    </message>
    <message>
        <source>設定項目無し</source>
        <translation>No settings</translation>
    </message>
    <message>
        <source>RaderChart</source>
        <translation>RaderChart</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>キャラクターの%1</source>
        <translation>The character&apos;s %1</translation>
    </message>
    <message>
        <source>武器の基本ダメージ（HQでは1.2倍）</source>
        <translation>The weapon&apos;s base damage (×1.2 for HQ)</translation>
    </message>
    <message>
        <source>(Tactics + 50 + 命中修正) / 100</source>
        <translation>(Tactics + 50 + accuracy bonus) / 100</translation>
    </message>
    <message>
        <source>Anatomy ボーナス / 100（Anatomy 100 で 0.3）</source>
        <translation>Anatomy bonus / 100 (0.3 at Anatomy 100)</translation>
    </message>
    <message>
        <source>Lumberjack ボーナス / 100（斧のみ）</source>
        <translation>Lumberjack bonus / 100 (axes only)</translation>
    </message>
    <message>
        <source>ダメージ修正（Normal 0 〜 Vanquishing 9）</source>
        <translation>Damage level bonus (Normal 0 to Vanquishing 9)</translation>
    </message>
    <message>
        <source>武器のSpeed</source>
        <translation>The weapon&apos;s speed</translation>
    </message>
    <message>
        <source>表の行のDEX（0〜200）</source>
        <translation>The DEX of the grid&apos;s row (0 to 200)</translation>
    </message>
    <message>
        <source>武器を選ぶと、その武器と今の入力での値がここに出ます</source>
        <translation>Pick a weapon to see its value with the current inputs here</translation>
    </message>
    <message>
        <source>%1 の Normal/Normal: 最低 %2、最高 %3、平均 %4</source>
        <translation>%1 at Normal/Normal: low %2, high %3, average %4</translation>
    </message>
    <message>
        <source>この武器と入力では計算できません: %1</source>
        <translation>Cannot be worked out for this weapon and these inputs: %1</translation>
    </message>
    <message>
        <source>%1、DEX %2 での値: %3（%4sec）</source>
        <translation>%1 at DEX %2: %3 (%4sec)</translation>
    </message>
    <message>
        <source>外観</source>
        <translation>Appearance</translation>
    </message>
    <message>
        <source>ライト</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>ダーク</source>
        <translation>Dark</translation>
    </message>
</context>
<context>
    <name>TOptionStore</name>
    <message>
        <source>設定ファイルを読み込めません（%1）: %2</source>
        <translation>The settings file cannot be read (%1): %2</translation>
    </message>
    <message>
        <source>Option.iniを保存できませんでした。</source>
        <translation>Option.ini could not be saved.</translation>
    </message>
</context>
<context>
    <name>TSetupCompareView</name>
    <message>
        <source>Weapon</source>
        <translation>Weapon</translation>
    </message>
    <message>
        <source>STR</source>
        <translation>STR</translation>
    </message>
    <message>
        <source>DEX</source>
        <translation>DEX</translation>
    </message>
    <message>
        <source>INT</source>
        <translation>INT</translation>
    </message>
    <message>
        <source>Tactics</source>
        <translation>Tactics</translation>
    </message>
    <message>
        <source>Anatomy</source>
        <translation>Anatomy</translation>
    </message>
    <message>
        <source>Lumberjack</source>
        <translation>Lumberjack</translation>
    </message>
    <message>
        <source>HQ Low</source>
        <translation>HQ Low</translation>
    </message>
    <message>
        <source>HQ High</source>
        <translation>HQ High</translation>
    </message>
    <message>
        <source>HQ Ave</source>
        <translation>HQ Ave</translation>
    </message>
    <message>
        <source>Average damage of an exceptional-quality weapon</source>
        <translation>Average damage of an exceptional-quality weapon</translation>
    </message>
    <message>
        <source>Normal/Normal Ave</source>
        <translation>Normal/Normal Ave</translation>
    </message>
    <message>
        <source>Average damage at Normal accuracy, Normal damage</source>
        <translation>Average damage at Normal accuracy, Normal damage</translation>
    </message>
    <message>
        <source>Supremely/Vanquishing Ave</source>
        <translation>Supremely/Vanquishing Ave</translation>
    </message>
    <message>
        <source>Average damage at Supremely accuracy, Vanquishing damage</source>
        <translation>Average damage at Supremely accuracy, Vanquishing damage</translation>
    </message>
    <message>
        <source>Delay</source>
        <translation>Delay</translation>
    </message>
    <message>
        <source>Swing delay at the character&apos;s DEX, in seconds</source>
        <translation>Swing delay at the character&apos;s DEX, in seconds</translation>
    </message>
    <message>
        <source>DPS</source>
        <translation>DPS</translation>
    </message>
    <message>
        <source>Normal/Normal average divided by the delay</source>
        <translation>Normal/Normal average divided by the delay</translation>
    </message>
    <message>
        <source>Top %</source>
        <translation>Top %</translation>
    </message>
    <message>
        <source>Probability of the most likely base damage, in percent</source>
        <translation>Probability of the most likely base damage, in percent</translation>
    </message>
    <message>
        <source>Overall</source>
        <translation>Overall</translation>
    </message>
    <message>
        <source>Overall rating of the radar chart</source>
        <translation>Overall rating of the radar chart</translation>
    </message>
    <message>
        <source>Current</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>Pin %1</source>
        <translation>Pin %1</translation>
    </message>
    <message>
        <source>Remove pin</source>
        <translation>Remove pin</translation>
    </message>
</context>
<context>
    <name>TStatGainsView</name>
    <message>
        <source>Input</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>Step</source>
        <translation>Step</translation>
    </message>
    <message>
        <source>From → To</source>
        <translation>From → To</translation>
    </message>
    <message>
        <source>ΔHQ Ave</source>
        <translation>ΔHQ Ave</translation>
    </message>
    <message>
        <source>Change of the exceptional-quality average damage</source>
        <translation>Change of the exceptional-quality average damage</translation>
    </message>
    <message>
        <source>ΔAve</source>
        <translation>ΔAve</translation>
    </message>
    <message>
        <source>Change of the Normal/Normal average damage</source>
        <translation>Change of the Normal/Normal average damage</translation>
    </message>
    <message>
        <source>ΔDelay</source>
        <translation>ΔDelay</translation>
    </message>
    <message>
        <source>Change of the swing delay, in seconds</source>
        <translation>Change of the swing delay, in seconds</translation>
    </message>
    <message>
        <source>ΔDPS</source>
        <translation>ΔDPS</translation>
    </message>
    <message>
        <source>Change of the damage per second</source>
        <translation>Change of the damage per second</translation>
    </message>
    <message>
        <source>max</source>
        <translation>max</translation>
    </message>
    <message>
        <source>How much more DEX gives the next shorter swing delay, and that delay</source>
        <translation>How much more DEX gives the next shorter swing delay, and that delay</translation>
    </message>
    <message>
        <source>Next faster swing: +%1 DEX → %2 s</source>
        <translation>Next faster swing: +%1 DEX → %2 s</translation>
    </message>
</context>
<context>
    <name>TStatSweepChart</name>
    <message>
        <source>DPS</source>
        <translation>DPS</translation>
    </message>
    <message>
        <source>Ave</source>
        <translation>Ave</translation>
    </message>
    <message>
        <source>Damage per second</source>
        <translation>Damage per second</translation>
    </message>
    <message>
        <source>Average damage at Normal accuracy, Normal damage</source>
        <translation>Average damage at Normal accuracy, Normal damage</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>From</source>
        <translation>From</translation>
    </message>
    <message>
        <source>To</source>
        <translation>To</translation>
    </message>
</context>
<context>
    <name>TWeaponDamageSpreadChart</name>
    <message>
        <source>Damage spread</source>
        <translation>Damage spread</translation>
    </message>
    <message>
        <source>ダメージ分布図</source>
        <translation>Damage spread</translation>
    </message>
    <message>
        <source>Top: %1 damage, %2 %</source>
        <translation>Top: %1 damage, %2 %</translation>
    </message>
</context>
<context>
    <name>TWeaponDataGrid</name>
    <message>
        <source>Ave</source>
        <translation>Ave</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>High</source>
        <translation>High</translation>
    </message>
</context>
<context>
    <name>TWeaponFinder</name>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
</context>
<context>
    <name>TWeaponListView</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Index</source>
        <translation>Index</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
</context>
<context>
    <name>TWeaponRaderChart</name>
    <message>
        <source>Radar chart</source>
        <translation>Radar chart</translation>
    </message>
    <message>
        <source>Speed %1, damage %2, overall %3; overall rating %4, stability %5 %</source>
        <translation>Speed %1, damage %2, overall %3; overall rating %4, stability %5 %</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Damage</source>
        <translation>Damage</translation>
    </message>
    <message>
        <source>総合力：%1</source>
        <translation>Overall: %1</translation>
    </message>
    <message>
        <source>爆発力</source>
        <translation>Burst</translation>
    </message>
    <message>
        <source>安定力</source>
        <translation>Steady</translation>
    </message>
</context>
<context>
    <name>TWeaponRankingView</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Delay</source>
        <translation>Delay</translation>
    </message>
    <message>
        <source>Swing delay at the character&apos;s DEX, in seconds</source>
        <translation>Swing delay at the character&apos;s DEX, in seconds</translation>
    </message>
    <message>
        <source>Ave</source>
        <translation>Ave</translation>
    </message>
    <message>
        <source>Average damage at Normal / Normal</source>
        <translation>Average damage at Normal / Normal</translation>
    </message>
    <message>
        <source>HQ Ave</source>
        <translation>HQ Ave</translation>
    </message>
    <message>
        <source>Average damage of an exceptional-quality weapon</source>
        <translation>Average damage of an exceptional-quality weapon</translation>
    </message>
    <message>
        <source>DPS</source>
        <translation>DPS</translation>
    </message>
    <message>
        <source>Average damage divided by the delay</source>
        <translation>Average damage divided by the delay</translation>
    </message>
    <message>
        <source>Top %</source>
        <translation>Top %</translation>
    </message>
    <message>
        <source>Probability of the most likely base damage, in percent</source>
        <translation>Probability of the most likely base damage, in percent</translation>
    </message>
    <message>
        <source>Overall</source>
        <translation>Overall</translation>
    </message>
    <message>
        <source>Overall rating of the radar chart</source>
        <translation>Overall rating of the radar chart</translation>
    </message>
</context>
<context>
    <name>TWeaponSpeedGrid</name>
    <message>
        <source>DEX</source>
        <translation>DEX</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>SPEED</translation>
    </message>
    <message>
        <source>sec</source>
        <translation>sec</translation>
    </message>
</context>
</TS>
