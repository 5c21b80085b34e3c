<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>Batch</name>
    <message>
        <source>フォルダです。</source>
        <translation>Is a folder.</translation>
    </message>
    <message>
        <source>フォルダが見つかりません: </source>
        <translation>Folder not found: </translation>
    </message>
    <message>
        <source>: 保存フォルダを作れません。</source>
        <translation>: cannot create the save folder.</translation>
    </message>
    <message>
        <source>失敗しました。</source>
        <translation>Failed.</translation>
    </message>
    <message>
        <source> (スキップ)
</source>
        <translation> (skipped)
</translation>
    </message>
    <message>
        <source>: 知っている設定がないため、既定の設定で続けます。</source>
        <translation>: no setting it knows; going on with the defaults.</translation>
    </message>
    <message>
        <source>不明なキー: </source>
        <translation> Unknown keys: </translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>は可逆圧縮で書き出せません（webp、jxl、png、bmp なら書き出せます）。</source>
        <translation> cannot be written losslessly (webp, jxl, png and bmp can).</translation>
    </message>
    <message>
        <source>キャッシュのフォルダがわかりません。</source>
        <translation>Cannot tell where the thumbnail cache is.</translation>
    </message>
</context>
<context>
    <name>Codecs</name>
    <message>
        <source>ファイルを開けません。</source>
        <translation>Cannot open the file.</translation>
    </message>
    <message>
        <source>画像ファイルではありません。</source>
        <translation>Not a picture file.</translation>
    </message>
    <message>
        <source>画像データが壊れています。</source>
        <translation>The picture data is damaged.</translation>
    </message>
    <message>
        <source>画像データが途中で切れています。</source>
        <translation>The picture data is cut short.</translation>
    </message>
    <message>
        <source>画像が大きすぎます。</source>
        <translation>The picture is too large.</translation>
    </message>
    <message>
        <source>この形式の画像には対応していません。</source>
        <translation>Pictures of this kind are not supported.</translation>
    </message>
    <message>
        <source>画像を変換できません。</source>
        <translation>Cannot convert the picture.</translation>
    </message>
    <message>
        <source>この形式に変換するライブラリがありません。</source>
        <translation>No library can write this file type.</translation>
    </message>
</context>
<context>
    <name>FileServices</name>
    <message>
        <source>ファイルを書き込めません。</source>
        <translation>Cannot write the file. </translation>
    </message>
    <message>
        <source>ファイルまたはフォルダが見つかりません。</source>
        <translation>File or folder not found.</translation>
    </message>
    <message>
        <source>パスの途中がフォルダではありません。</source>
        <translation>A part of the path is not a folder.</translation>
    </message>
    <message>
        <source>同じ名前のフォルダがあります。</source>
        <translation>A folder of the same name exists.</translation>
    </message>
    <message>
        <source>アクセスが拒否されました。</source>
        <translation>Access denied.</translation>
    </message>
    <message>
        <source>読み取り専用の場所です。</source>
        <translation>The place is read-only.</translation>
    </message>
    <message>
        <source>ディスクの空き容量が足りません。</source>
        <translation>Not enough space on the disk.</translation>
    </message>
    <message>
        <source>ディスクの割り当て量を超えました。</source>
        <translation>The disk quota is exceeded.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます。</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>名前が長すぎます。</source>
        <translation>The name is too long.</translation>
    </message>
    <message>
        <source>シンボリックリンクが循環しています。</source>
        <translation>The symbolic links form a loop.</translation>
    </message>
    <message>
        <source>開いているファイルが多すぎます。</source>
        <translation>Too many files are open.</translation>
    </message>
    <message>
        <source>メモリが足りません。</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>入出力エラーが発生しました。</source>
        <translation>An input/output error occurred.</translation>
    </message>
    <message>
        <source>ファイルが使用中です。</source>
        <translation>The file is in use.</translation>
    </message>
    <message>
        <source>名前が正しくありません。</source>
        <translation>The name is not valid.</translation>
    </message>
    <message>
        <source>別のドライブへは移動できません。</source>
        <translation>Cannot move to another drive.</translation>
    </message>
    <message>
        <source>エラーが発生しました（%1: %2）。</source>
        <translation>An error occurred (%1: %2).</translation>
    </message>
</context>
<context>
    <name>FolderBrowser</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>フォルダーの参照</source>
        <translation>Browse for Folder</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Tessarolith&#x3000;Ver.1.1.0</source>
        <translation>Tessarolith Ver.1.1.0</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください</source>
        <translation>Click a folder to select it, then press OK</translation>
    </message>
    <message>
        <source>正常終了しました！！</source>
        <translation>All thumbnails are made!</translation>
    </message>
    <message>
        <source>ｵﾘｼﾞﾅﾙﾌｧｲﾙ</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>ｻﾑﾈｲﾙﾌｧｲﾙ</source>
        <translation>Thumbnails</translation>
    </message>
    <message>
        <source>ﾌﾟﾚﾋﾞｭｰ</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>ｲﾝﾌﾟｯﾄﾌｫﾙﾀﾞ...</source>
        <translation>Input folder...</translation>
    </message>
    <message>
        <source>各種設定...</source>
        <translation>Settings...</translation>
    </message>
    <message>
        <source>ｻﾑﾈｲﾙ作成ｽﾀｰﾄ</source>
        <translation>Make thumbnails</translation>
    </message>
    <message>
        <source>ｽﾄｯﾌﾟ</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>サムネイル作成を中断しました。</source>
        <translation>Making thumbnails was broken off.</translation>
    </message>
    <message>
        <source>フォルダが見つかりません: </source>
        <translation>Folder not found: </translation>
    </message>
</context>
<context>
    <name>RunAnnouncer</name>
    <message>
        <source>サムネイル作成が終わりました。</source>
        <translation>The thumbnails are made.</translation>
    </message>
    <message>
        <source>サムネイル作成を止めました。</source>
        <translation>Making thumbnails was stopped.</translation>
    </message>
    <message>
        <source>サムネイル作成を中断しました。</source>
        <translation>Making thumbnails was broken off.</translation>
    </message>
    <message>
        <source>作成 %1 件、スキップ %2 件、失敗 %3 件</source>
        <translation>%1 made, %2 skipped, %3 failed</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>各種設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください</source>
        <translation>Click a folder to select it, then press OK</translation>
    </message>
    <message>
        <source>ｻﾑﾈｲﾙのｻｲｽﾞ （範囲&#x3000;16～640 ﾋﾟｸｾﾙ）</source>
        <translation>Thumbnail size (16 to 640 pixels)</translation>
    </message>
    <message>
        <source>ｻﾑﾈｲﾙ縦／横の比率構成</source>
        <translation>Aspect ratio</translation>
    </message>
    <message>
        <source>ｻﾑﾈｲﾙの画質</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>ｻﾑﾈｲﾙの保存ﾌｧｲﾙ種類</source>
        <translation>File type</translation>
    </message>
    <message>
        <source>余白部分の色</source>
        <translation>Margin colour</translation>
    </message>
    <message>
        <source>保存時に先頭に
付ける文字</source>
        <translation>Prefix of the
file names</translation>
    </message>
    <message>
        <source>保存時の同一ﾌｧｲﾙ名</source>
        <translation>When the file exists</translation>
    </message>
    <message>
        <source>保存時のﾌｫﾙﾀﾞ...</source>
        <translation>Save folder...</translation>
    </message>
    <message>
        <source>幅</source>
        <translation>W</translation>
    </message>
    <message>
        <source>高さ</source>
        <translation>H</translation>
    </message>
    <message>
        <source>圧縮率</source>
        <translation>Rate</translation>
    </message>
    <message>
        <source>--&gt;低画質</source>
        <translation>--&gt;lower</translation>
    </message>
    <message>
        <source>保存時のﾌｫﾙﾀﾞ</source>
        <translation>Save folder</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>ThumbSettings</name>
    <message>
        <source>幅のｻｲｽﾞで縦横比を保持</source>
        <translation>Keep ratio, fit width</translation>
    </message>
    <message>
        <source>高さのｻｲｽﾞで縦横比を保持</source>
        <translation>Keep ratio, fit height</translation>
    </message>
    <message>
        <source>幅と高さのｻｲｽﾞで縦横比を保持</source>
        <translation>Keep ratio, fit both</translation>
    </message>
    <message>
        <source>幅と高さのｻｲｽﾞでｽﾄﾚｯﾁ</source>
        <translation>Stretch to both</translation>
    </message>
    <message>
        <source>幅のｻｲｽﾞでﾉﾝｽﾄﾚｯﾁ</source>
        <translation>No stretch, by width</translation>
    </message>
    <message>
        <source>高さのｻｲｽﾞでﾉﾝｽﾄﾚｯﾁ</source>
        <translation>No stretch, by height</translation>
    </message>
    <message>
        <source>幅と高さのｻｲｽﾞでﾄﾘﾐﾝｸﾞ</source>
        <translation>Crop to both</translation>
    </message>
    <message>
        <source>低画質</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>中低画質</source>
        <translation>Medium low</translation>
    </message>
    <message>
        <source>中高画質</source>
        <translation>Medium high</translation>
    </message>
    <message>
        <source>高画質</source>
        <translation>High</translation>
    </message>
    <message>
        <source>上書き</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>ｽｷｯﾌﾟ</source>
        <translation>Skip</translation>
    </message>
</context>
<context>
    <name>Thumbnailer</name>
    <message>
        <source>書き込めません。</source>
        <translation>Cannot write the file.</translation>
    </message>
    <message>
        <source>大きさがありません。</source>
        <translation>No size given.</translation>
    </message>
    <message>
        <source>知らないオプションです: %1</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <source>大きさは 1 から %1 までです。</source>
        <translation>The size is from 1 to %1.</translation>
    </message>
    <message>
        <source>入力と出力を一つずつ指定してください。</source>
        <translation>Give one input and one output.</translation>
    </message>
    <message>
        <source>入力はファイルのパスか file:// の URI です。</source>
        <translation>The input is a file path or a file:// URI.</translation>
    </message>
</context>
<context>
    <name>Thumbnails</name>
    <message>
        <source>処理を中止しました。</source>
        <translation>Stopped.</translation>
    </message>
    <message>
        <source>比率構成の値が正しくありません。</source>
        <translation>The aspect ratio setting is not valid.</translation>
    </message>
    <message>
        <source>サムネイルの幅または高さの値が正しくありません。</source>
        <translation>The thumbnail width or height is not valid.</translation>
    </message>
    <message>
        <source>サムネイルが大きすぎます。</source>
        <translation>The thumbnail is too large.</translation>
    </message>
    <message>
        <source>画像の幅または高さが0です。</source>
        <translation>The picture is 0 pixels wide or high.</translation>
    </message>
    <message>
        <source>画像が大きすぎます。</source>
        <translation>The picture is too large.</translation>
    </message>
    <message>
        <source>メモリが足りません。</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>処理中にエラーが発生しました。</source>
        <translation>An error occurred while working.</translation>
    </message>
    <message>
        <source>ファイル名に「/」は使えません。</source>
        <translation>A file name cannot hold &quot;/&quot;.</translation>
    </message>
    <message>
        <source>ファイル名に使えない文字があります。</source>
        <translation>The file name holds a character not allowed.</translation>
    </message>
    <message>
        <source>ファイル名が正しくありません。</source>
        <translation>The file name is not valid.</translation>
    </message>
    <message>
        <source>ファイル名が長すぎます。</source>
        <translation>The file name is too long.</translation>
    </message>
    <message>
        <source>保存フォルダが指定されていません。</source>
        <translation>No save folder is set.</translation>
    </message>
    <message>
        <source>既にあるファイルを読み取れません。</source>
        <translation>Cannot read the file already there.</translation>
    </message>
    <message>
        <source>読み取り専用のファイルは上書きできません。</source>
        <translation>Cannot overwrite a read-only file.</translation>
    </message>
    <message>
        <source>元の画像に上書きするため中止しました。</source>
        <translation>Stopped: it would overwrite the picture itself.</translation>
    </message>
    <message>
        <source>サムネイルの画像がありません。</source>
        <translation>There is no thumbnail picture.</translation>
    </message>
    <message>
        <source>フォルダを読めません。</source>
        <translation>Cannot read the folder. </translation>
    </message>
    <message>
        <source>JPEGに変換できません。</source>
        <translation>Cannot convert to JPEG.</translation>
    </message>
    <message>
        <source>ビットマップに変換できません。</source>
        <translation>Cannot convert to bitmap.</translation>
    </message>
    <message>
        <source>PNGに変換できません。</source>
        <translation>Cannot convert to PNG.</translation>
    </message>
    <message>
        <source>WebPに変換できません。</source>
        <translation>Cannot convert to WebP.</translation>
    </message>
    <message>
        <source>AVIFに変換できません。</source>
        <translation>Cannot convert to AVIF.</translation>
    </message>
    <message>
        <source>JPEG XLに変換できません。</source>
        <translation>Cannot convert to JPEG XL.</translation>
    </message>
</context>
<context>
    <name>WindowChrome</name>
    <message>
        <source>Tessarolith&#x3000;Ver.1.1.0</source>
        <translation>Tessarolith Ver.1.1.0</translation>
    </message>
    <message>
        <source>各種設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
