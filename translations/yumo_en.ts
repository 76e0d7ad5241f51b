<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Yumo</name>
    <message>
        <source>Yumo</source>
        <translation>Yumo</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>再生</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ボイス情報の読み込み...	Ctrl+O</source>
        <translation>Load Voice Data...	Ctrl+O</translation>
    </message>
    <message>
        <source>ボイス情報を閉じる</source>
        <translation>Close Voice Data</translation>
    </message>
    <message>
        <source>ボイス情報の編集...</source>
        <translation>Edit Voice Data...</translation>
    </message>
    <message>
        <source>終了	Ctrl+Q</source>
        <translation>Quit	Ctrl+Q</translation>
    </message>
    <message>
        <source>おやすみなさい	Enter</source>
        <translation>Good Night	Enter</translation>
    </message>
    <message>
        <source>起きます	Enter</source>
        <translation>Wake Up	Enter</translation>
    </message>
    <message>
        <source>起こしてもらう...</source>
        <translation>Have Her Wake You...</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About Yumo</translation>
    </message>
    <message>
        <source>起こして</source>
        <translation>Wake Me</translation>
    </message>
    <message>
        <source>場所交代</source>
        <translation>Swap Sides</translation>
    </message>
    <message>
        <source>BGM</source>
        <translation>Music</translation>
    </message>
    <message>
        <source>おいで</source>
        <translation>Come Here</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>M</source>
        <translation>M</translation>
    </message>
    <message>
        <source>Yumo Ver.1.01</source>
        <translation>Yumo version 1.01</translation>
    </message>
    <message>
        <source>位置情報は変更されています。保存しますか？</source>
        <translation>The position record has changed. Save it?</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>ボイス情報のファイルを開けません。
%1</source>
        <translation>Cannot open the voice data file.
%1</translation>
    </message>
    <message>
        <source>ファイルオープンエラー</source>
        <translation>Cannot Open File</translation>
    </message>
    <message>
        <source>ボイス情報の読み込み</source>
        <translation>Load Voice Data</translation>
    </message>
    <message>
        <source>BGMファイル</source>
        <translation>Music File</translation>
    </message>
    <message>
        <source>ボイスのファイル</source>
        <translation>Voice Clip File</translation>
    </message>
    <message>
        <source>頭の形のSOFAファイル</source>
        <translation>SOFA File of a Head</translation>
    </message>
    <message>
        <source>昨夜の様子を保存</source>
        <translation>Save Last Night</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>Yumoボイスデータ(*.ymv)</source>
        <translation>Yumo voice data (*.ymv)</translation>
    </message>
    <message>
        <source>WAVファイル(*.wav)</source>
        <translation>WAV audio (*.wav)</translation>
    </message>
    <message>
        <source>MP3ファイル(*.mp3)</source>
        <translation>MP3 audio (*.mp3)</translation>
    </message>
    <message>
        <source>FLAC・Ogg・Opusファイル(*.flac;*.ogg;*.opus)</source>
        <translation>FLAC, Ogg and Opus audio (*.flac;*.ogg;*.opus)</translation>
    </message>
    <message>
        <source>すべてのファイル(*.*)</source>
        <translation>All files (*.*)</translation>
    </message>
    <message>
        <source>Yumo位置データ(*.ypos)</source>
        <translation>Yumo position data (*.ypos)</translation>
    </message>
    <message>
        <source>いつ起こしてほしいですか？</source>
        <translation>When would you like to be woken?</translation>
    </message>
    <message>
        <source>(いつも時間通りに起こしてもらえるとは限りません)</source>
        <translation>(She may not always wake you right on time.)</translation>
    </message>
    <message>
        <source>時</source>
        <translation>h</translation>
    </message>
    <message>
        <source>分</source>
        <translation>min</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>目覚ましストップ</source>
        <translation>Stop Alarm</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>夜の間はスリープさせない</source>
        <translation>Keep the Computer Awake During a Night</translation>
    </message>
    <message>
        <source>そのまま眠ってしまう</source>
        <translation>She Falls Asleep for Good</translation>
    </message>
    <message>
        <source>タイマーなし</source>
        <translation>No Timer</translation>
    </message>
    <message>
        <source>%1分後</source>
        <translation>After %1 Minutes</translation>
    </message>
    <message>
        <source>片耳で聴く</source>
        <translation>One Ear</translation>
    </message>
    <message>
        <source>左右を入れ替える</source>
        <translation>Swap Left and Right</translation>
    </message>
    <message>
        <source>起こす声の立ち上がり</source>
        <translation>Wake-up Call Rises Over</translation>
    </message>
    <message>
        <source>すぐに</source>
        <translation>At Once</translation>
    </message>
    <message>
        <source>%1秒</source>
        <translation>%1 Seconds</translation>
    </message>
    <message>
        <source>-15分</source>
        <translation>-15m</translation>
    </message>
    <message>
        <source>+15分</source>
        <translation>+15m</translation>
    </message>
    <message>
        <source>ボイス編集</source>
        <translation>Edit Voice Data</translation>
    </message>
    <message>
        <source>ボイス追加</source>
        <translation>Add Voices</translation>
    </message>
    <message>
        <source>選択...</source>
        <translation>Choose...</translation>
    </message>
    <message>
        <source>プレビュー</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>ボイスの持ち主</source>
        <translation>Owner</translation>
    </message>
    <message>
        <source>新規ボイス作成…</source>
        <translation>New Voice Data...</translation>
    </message>
    <message>
        <source>保存...</source>
        <translation>Save...</translation>
    </message>
    <message>
        <source>%1/%2</source>
        <translation>%1/%2</translation>
    </message>
    <message>
        <source>元の音量のまま追加</source>
        <translation>Keep the Original Level</translation>
    </message>
    <message>
        <source>読み込み中…</source>
        <translation>Importing…</translation>
    </message>
    <message>
        <source>ファイルを開けません。
%1</source>
        <translation>Cannot open the file.
%1</translation>
    </message>
    <message>
        <source>名無しさん</source>
        <translation>Anonymous</translation>
    </message>
    <message>
        <source>現在開いているボイスデータは閉じられます。続行しますか？</source>
        <translation>The open voice data will be closed. Continue?</translation>
    </message>
    <message>
        <source>新規ボイスデータ作成確認</source>
        <translation>New Voice Data</translation>
    </message>
    <message>
        <source>ボイス情報新規作成</source>
        <translation>New Voice Data</translation>
    </message>
    <message>
        <source>ボイスの持ち主の名前を入力してください</source>
        <translation>Enter the name of the voice&apos;s owner</translation>
    </message>
    <message>
        <source>追加したボイスが保存されていません。保存せずに続行しますか？</source>
        <translation>The voices you added have not been saved. Continue without saving?</translation>
    </message>
    <message>
        <source>Yumo - 音が出ていません（サウンドサーバーを探しています）</source>
        <translation>Yumo - no sound (looking for the sound server)</translation>
    </message>
    <message>
        <source>Yumo - 音が戻りました</source>
        <translation>Yumo - the sound is back</translation>
    </message>
    <message>
        <source>Yumo - BGMのファイルを読めなくなったので、BGMを止めました</source>
        <translation>Yumo - the music file could no longer be read, so the music has stopped</translation>
    </message>
    <message>
        <source>起きる時間です。</source>
        <translation>It is time to get up.</translation>
    </message>
    <message>
        <source>このファイルの形式はプレビューできません。</source>
        <translation>This file cannot be previewed in its format.</translation>
    </message>
    <message>
        <source>サウンドデバイスを開けませんでした。プレビューできません。</source>
        <translation>Cannot open the sound device: no preview.</translation>
    </message>
    <message>
        <source>プレビューエラー</source>
        <translation>Preview Error</translation>
    </message>
    <message>
        <source>このファイルは%1です。44.1kHz、16ビット、モノラルに変換して追加しますか？</source>
        <translation>This file is %1. Convert it to 44.1 kHz, 16-bit mono and add it?</translation>
    </message>
    <message>
        <source>%1 kHz</source>
        <translation>%1 kHz</translation>
    </message>
    <message>
        <source>%1ビット</source>
        <translation>%1 bit</translation>
    </message>
    <message>
        <source>%1ビット浮動小数点</source>
        <translation>%1-bit float</translation>
    </message>
    <message>
        <source>モノラル</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>ステレオ</source>
        <translation>stereo</translation>
    </message>
    <message>
        <source>%1チャンネル</source>
        <translation>%1 channels</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>変換の確認</source>
        <translation>Convert</translation>
    </message>
    <message>
        <source>昨夜の様子...</source>
        <translation>Last Night...</translation>
    </message>
    <message>
        <source>昨夜の様子</source>
        <translation>Last Night</translation>
    </message>
    <message>
        <source>PNGで保存...</source>
        <translation>Save as PNG...</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>音</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>浅い</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>深い</source>
        <translation>Deep</translation>
    </message>
    <message>
        <source>寝返り</source>
        <translation>Roll-overs</translation>
    </message>
    <message>
        <source>この夜の記録は保存できませんでした（%1）。次に開く昨夜の様子は、この夜ではありません。</source>
        <translation>This night&apos;s record could not be saved (%1). The next Last Night will not show this night.</translation>
    </message>
    <message>
        <source>最初の行から夜の長さを超える%1行は描いていません</source>
        <translation>%1 lines beyond a night&apos;s length after the first are not drawn</translation>
    </message>
    <message>
        <source>昨夜の記録はありません。</source>
        <translation>There is no record of last night.</translation>
    </message>
    <message>
        <source>画像を保存できませんでした。
%1</source>
        <translation>Cannot save the picture.
%1</translation>
    </message>
    <message>
        <source>PNG画像(*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
    <message>
        <source>頭の形...</source>
        <translation>Head...</translation>
    </message>
    <message>
        <source>頭の形</source>
        <translation>Head</translation>
    </message>
    <message>
        <source>KEMAR (内蔵)</source>
        <translation>KEMAR (built in)</translation>
    </message>
    <message>
        <source>追加...</source>
        <translation>Add...</translation>
    </message>
    <message>
        <source>試聴</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>使う</source>
        <translation>Use</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>変換中…</source>
        <translation>Converting…</translation>
    </message>
    <message>
        <source>SOFAファイル「%1」から頭の形を作れませんでした。
%2</source>
        <translation>No head could be made from the SOFA file &quot;%1&quot;.
%2</translation>
    </message>
    <message>
        <source>ファイルが途中で切れています（ダウンロードが終わっていないか、壊れています）。もう一度ダウンロードしてください。</source>
        <translation>The file is cut short (its download did not finish, or it is damaged). Download it again.</translation>
    </message>
    <message>
        <source>ファイルが壊れていて読めません。もう一度ダウンロードするか、別のSOFAファイルを選んでください。</source>
        <translation>The file is damaged and cannot be read. Download it again, or choose another SOFA file.</translation>
    </message>
    <message>
        <source>SOFAファイルではありません。頭部伝達関数の測定データ（.sofa）を選んでください。</source>
        <translation>This is not a SOFA file. Choose a file of measured head-related responses (.sofa).</translation>
    </message>
    <message>
        <source>このSOFAファイルは使えません（左右の耳の頭部伝達関数（SimpleFreeFieldHRIR）が必要です）。別のSOFAファイルを選んでください。</source>
        <translation>This SOFA file cannot be used (it must hold head-related responses of both ears, SimpleFreeFieldHRIR). Choose another SOFA file.</translation>
    </message>
    <message>
        <source>ファイルを読めません。ファイルがあり、読む権限があるかを確かめてください。</source>
        <translation>The file cannot be read. Check that it exists and that you may read it.</translation>
    </message>
    <message>
        <source>変換した頭の形を保存できませんでした。ホームフォルダの空きと権限を確かめてください。</source>
        <translation>The converted head could not be saved. Check the free space and permissions of your home folder.</translation>
    </message>
    <message>
        <source>変換が%1秒以内に終わりませんでした。ファイルが壊れているかもしれません。別のSOFAファイルを選んでください。</source>
        <translation>The conversion did not finish within %1 seconds. The file may be damaged. Choose another SOFA file.</translation>
    </message>
    <message>
        <source>変換するプログラムを実行できませんでした。Yumoをインストールし直してください。</source>
        <translation>The program that converts could not be run. Install Yumo again.</translation>
    </message>
    <message>
        <source>この頭の形は読めません。
%1</source>
        <translation>This head cannot be read.
%1</translation>
    </message>
    <message>
        <source>SOFAファイル(*.sofa)</source>
        <translation>SOFA file (*.sofa)</translation>
    </message>
    <message>
        <source>%1（使用中）</source>
        <translation>%1 (in use)</translation>
    </message>
    <message>
        <source>試聴中：選んだ頭の形、次に今の頭の形</source>
        <translation>Listening: the chosen head, then the one in use</translation>
    </message>
    <message>
        <source>ボイスデータを保存できませんでした。別の場所に保存しますか？
「いいえ」を選ぶと、追加したボイスを保存せずに終了します。</source>
        <translation>The voice data could not be saved. Save it somewhere else?
Choose No to quit without the voices you added.</translation>
    </message>
</context>
<context>
    <name>yumo</name>
    <message>
        <source>Yumoオープンエラー</source>
        <translation>Yumo Cannot Open</translation>
    </message>
    <message>
        <source>.birファイルを開けません。hrtfフォルダ内に.birファイルが存在するか確認してください。</source>
        <translation>Cannot open the .bir file. Check that the hrtf folder holds a .bir file.</translation>
    </message>
    <message>
        <source>%1 の内容が正しくないため読み込めません。
(%2)</source>
        <translation>Cannot read %1: its contents are not valid.
(%2)</translation>
    </message>
    <message>
        <source>ファイルオープンエラー</source>
        <translation>Cannot Open File</translation>
    </message>
    <message>
        <source>このファイルは開けません。wavファイルではありません。</source>
        <translation>This file cannot be opened: it is not a WAV file.</translation>
    </message>
    <message>
        <source>このファイルは開けません。リニアPCM形式ではありません。</source>
        <translation>This file cannot be opened: it is not linear PCM.</translation>
    </message>
    <message>
        <source>このファイルは開けません。44.1kHz、16ビットに変換してください。</source>
        <translation>This file cannot be opened. Convert it to 44.1 kHz, 16 bits.</translation>
    </message>
    <message>
        <source>ファイルのオープンに失敗しました。</source>
        <translation>The file could not be opened.</translation>
    </message>
    <message>
        <source>変換ストリームのオープンに失敗しました。</source>
        <translation>The decoder could not be started for this file.</translation>
    </message>
    <message>
        <source>このファイルは開けません。ファイルが大きすぎます（1GB以下にしてください）。</source>
        <translation>This file cannot be opened: it is too large (at most 1 GB).</translation>
    </message>
    <message>
        <source>ボイス追加エラー</source>
        <translation>Cannot Add Voice</translation>
    </message>
    <message>
        <source>ボイスを追加できません。ボイスの種類が不正です。</source>
        <translation>Cannot add the voice: the kind of voice is invalid.</translation>
    </message>
    <message>
        <source>ボイスを追加できません。登録できる最大ボイス数を超えています。</source>
        <translation>Cannot add the voice: this kind holds as many voices as it can.</translation>
    </message>
    <message>
        <source>ボイスを追加できません。音声の形式が不正です。</source>
        <translation>Cannot add the voice: the audio format is invalid.</translation>
    </message>
    <message>
        <source>ボイスを追加できません。音声が長すぎます。</source>
        <translation>Cannot add the voice: the audio is too long.</translation>
    </message>
    <message>
        <source>「おやすみ」ボイスと「起きて」ボイスをそれぞれ1つ以上登録してください。</source>
        <translation>Add at least one &quot;Good night&quot; voice and one &quot;Wake up&quot; voice.</translation>
    </message>
    <message>
        <source>ymv保存エラー</source>
        <translation>Cannot Save Voice Data</translation>
    </message>
    <message>
        <source>位置情報を保存できませんでした。以前のファイルはそのままです。</source>
        <translation>The position record could not be saved. The previous file is unchanged.</translation>
    </message>
    <message>
        <source>保存エラー</source>
        <translation>Cannot Save</translation>
    </message>
    <message>
        <source>ボイスデータファイルが大きすぎます（%1 バイト）。</source>
        <translation>The voice data file is too large (%1 bytes).</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。ヘッダーが途中で切れています（%1 バイト）。</source>
        <translation>The voice data file is damaged: its header is cut short (%1 bytes).</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。種類 %1 のボイス数 %2 が 0～10 の範囲外です。</source>
        <translation>The voice data file is damaged: kind %1 has %2 voices, not 0 to 10.</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスのバイト数 %3 が不正です。</source>
        <translation>The voice data file is damaged: the byte count %3 of voice %2 of kind %1 is invalid.</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスの長さ %3 がサンプル数と合いません。</source>
        <translation>The voice data file is damaged: the length %3 of voice %2 of kind %1 does not match its samples.</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスの再生位置 %3 が負です。</source>
        <translation>The voice data file is damaged: the play position %3 of voice %2 of kind %1 is negative.</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスのデータが途中で切れています。</source>
        <translation>The voice data file is damaged: the data of voice %2 of kind %1 is cut short.</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスの圧縮データ長 %3 が不正です。</source>
        <translation>The voice data file is damaged: the compressed length %3 of voice %2 of kind %1 is invalid.</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスのバイト数 %3 が圧縮データに対して大きすぎます。</source>
        <translation>The voice data file is damaged: the byte count %3 of voice %2 of kind %1 is too large for its compressed data.</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。ボイスの合計 %1 バイトが上限の %2 バイトを超えています。</source>
        <translation>The voice data file is damaged: its voices total %1 bytes, more than the limit of %2 bytes.</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスの圧縮データが壊れています。</source>
        <translation>The voice data file is damaged: the compressed data of voice %2 of kind %1 is damaged.</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスの展開後のサイズがバイト数と一致しません。</source>
        <translation>The voice data file is damaged: voice %2 of kind %1 does not expand to its byte count.</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。</source>
        <translation>The voice data file is damaged.</translation>
    </message>
    <message>
        <source>ボイスデータファイルを保存できません。種類 %1 のボイス数 %2 が 0～10 の範囲外です。</source>
        <translation>Cannot save the voice data file: kind %1 has %2 voices, not 0 to 10.</translation>
    </message>
    <message>
        <source>ボイスデータファイルを保存できません。種類 %1・位置 %2 のボイスのバイト数 %3 がサンプルと合いません。</source>
        <translation>Cannot save the voice data file: the byte count %3 of voice %2 of kind %1 does not match its samples.</translation>
    </message>
    <message>
        <source>ボイスデータファイルを保存できません。圧縮を開始できません。</source>
        <translation>Cannot save the voice data file: compression cannot start.</translation>
    </message>
    <message>
        <source>おやすみ</source>
        <translation>Good night</translation>
    </message>
    <message>
        <source>すぅはぁ</source>
        <translation>Breathing</translation>
    </message>
    <message>
        <source>すぅ</source>
        <translation>Breath in</translation>
    </message>
    <message>
        <source>はぁ</source>
        <translation>Breath out</translation>
    </message>
    <message>
        <source>ぐぅぐぅ</source>
        <translation>Snoring</translation>
    </message>
    <message>
        <source>うーんむにゃむにゃ</source>
        <translation>Mumbling</translation>
    </message>
    <message>
        <source>寝言</source>
        <translation>Sleep talk</translation>
    </message>
    <message>
        <source>…はっ</source>
        <translation>Startle</translation>
    </message>
    <message>
        <source>ぶつぶつ</source>
        <translation>Grumbling</translation>
    </message>
    <message>
        <source>はーぁ</source>
        <translation>Sigh</translation>
    </message>
    <message>
        <source>起きて</source>
        <translation>Wake up</translation>
    </message>
    <message>
        <source>静寂</source>
        <translation>Silence</translation>
    </message>
    <message>
        <source>オーディオエラー</source>
        <translation>Audio Error</translation>
    </message>
    <message>
        <source>設定を保存できません。変更はYumoを終了するまで有効です。</source>
        <translation>The settings cannot be saved. Changes last until Yumo is closed.</translation>
    </message>
    <message>
        <source>設定エラー</source>
        <translation>Settings Error</translation>
    </message>
    <message>
        <source>オーディオデバイスを開けません。サウンドの設定を確認してください。</source>
        <translation>Cannot open the audio device. Check the sound settings.</translation>
    </message>
    <message>
        <source>オーディオデバイスに音声を送れないため、再生を止めました。サウンドの設定を確認してから、もう一度おやすみなさいを選んでください。</source>
        <translation>Playback stopped because the audio device takes no more sound. Check the sound settings, then choose Good Night again.</translation>
    </message>
    <message>
        <source>このファイルは開けません。16ビットのPCMではありません。</source>
        <translation>This file cannot be opened: it is not 16-bit PCM.</translation>
    </message>
    <message>
        <source>このファイルは開けません。長すぎます。</source>
        <translation>This file cannot be opened: it is too long.</translation>
    </message>
    <message>
        <source>アニメーションスクリプトエラー</source>
        <translation>Animation Script Error</translation>
    </message>
    <message>
        <source>img/Anime.txt を読み込めません。ファイルが大きすぎるか壊れています。</source>
        <translation>Cannot read img/Anime.txt: the file is too large or damaged.</translation>
    </message>
    <message>
        <source>img/Anime.txt の内容に誤りがあります。誤りより後は読み込みません。
(%1)</source>
        <translation>img/Anime.txt has an error. Nothing after the error is read.
(%1)</translation>
    </message>
    <message>
        <source>img/Anime.txt の内容に誤りがあります。表の範囲外の項目は使いません。
(%1)</source>
        <translation>img/Anime.txt has an error. Entries outside the tables are not used.
(%1)</translation>
    </message>
    <message>
        <source>キャラクターデータエラー</source>
        <translation>Character Data Error</translation>
    </message>
    <message>
        <source>現在時刻</source>
        <translation>Time now</translation>
    </message>
    <message>
        <source>お目覚めまで&#x3000;あと</source>
        <translation>Time to wake up</translation>
    </message>
    <message>
        <source>タイマー終了まで&#x3000;あと</source>
        <translation>Sleep timer ends in</translation>
    </message>
    <message>
        <source>AM</source>
        <translation>AM</translation>
    </message>
    <message>
        <source>PM</source>
        <translation>PM</translation>
    </message>
    <message>
        <source>%2d時間%2d分%s</source>
        <translation>%2dh %2dmin %s</translation>
    </message>
    <message>
        <source>くらい</source>
        <translation>or so</translation>
    </message>
    <message>
        <source>どれくらいかな…</source>
        <translation>Who knows…</translation>
    </message>
    <message>
        <source>あなたの隣にいるのは
%s&#x3000;さんです</source>
        <translation>Beside you tonight:
%s</translation>
    </message>
    <message>
        <source>ただいま&#x3000;睡眠準備中…</source>
        <translation>Getting ready for bed…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;おやすみあいさつ中…</source>
        <translation>Saying good night…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;まどろみ中…</source>
        <translation>Dozing…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;寝入り中…</source>
        <translation>Falling asleep…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;………</source>
        <translation>………</translation>
    </message>
    <message>
        <source>ただいま&#x3000;いらいら…</source>
        <translation>Irritated…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;ぶつぶつ…</source>
        <translation>Grumbling…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;お目覚め中…</source>
        <translation>Waking up…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;寝返り中…</source>
        <translation>Rolling over…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;むにゃむにゃ…</source>
        <translation>Mumbling…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;イビキ中…</source>
        <translation>Snoring…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;寝言中…</source>
        <translation>Talking in her sleep…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;起こし中…</source>
        <translation>Waking you…</translation>
    </message>
    <message>
        <source>ただいま&#x3000;思案中…</source>
        <translation>Pondering…</translation>
    </message>
    <message>
        <source>状態:&#x3000;お目覚め</source>
        <translation>State: awake</translation>
    </message>
    <message>
        <source>状態:&#x3000;すっきりしない…</source>
        <translation>State: groggy…</translation>
    </message>
    <message>
        <source>状態:&#x3000;ドリーミング</source>
        <translation>State: dreaming</translation>
    </message>
    <message>
        <source>状態:&#x3000;浅い眠り</source>
        <translation>State: light sleep</translation>
    </message>
    <message>
        <source>状態:&#x3000;熟睡</source>
        <translation>State: sound asleep</translation>
    </message>
    <message>
        <source>状態:&#x3000;爆睡</source>
        <translation>State: dead to the world</translation>
    </message>
    <message>
        <source>相対位置

方位=%s%d゜
高度=%d゜
距離=%2.1fm</source>
        <translation>Her position

Azimuth=%s%d°
Elevation=%d°
Distance=%2.1fm</translation>
    </message>
    <message>
        <source>L</source>
        <translation>L</translation>
    </message>
    <message>
        <source>R</source>
        <translation>R</translation>
    </message>
    <message>
        <source>声: %2.1lfdB</source>
        <translation>Voice: %2.1lfdB</translation>
    </message>
    <message>
        <source>BGM: %2.1lfdB</source>
        <translation>Music: %2.1lfdB</translation>
    </message>
    <message>
        <source>寝つき</source>
        <translation>Dozing</translation>
    </message>
    <message>
        <source>睡眠</source>
        <translation>Sleep</translation>
    </message>
    <message>
        <source>寝相</source>
        <translation>Posture</translation>
    </message>
    <message>
        <source>寝起き</source>
        <translation>Waking</translation>
    </message>
    <message>
        <source>悪い</source>
        <translation>Poor</translation>
    </message>
    <message>
        <source>浅い</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>良い</source>
        <translation>Good</translation>
    </message>
    <message>
        <source>深い</source>
        <translation>Deep</translation>
    </message>
    <message>
        <source>保存先は、存在しないファイルを指すリンクです。</source>
        <translation>The target is a link to a file that does not exist.</translation>
    </message>
    <message>
        <source>保存先は通常のファイルではありません（デバイス、パイプ、フォルダなど）。</source>
        <translation>The target is not a regular file (a device, a pipe, a folder or the like).</translation>
    </message>
    <message>
        <source>保存先に書き込む権限がありません。</source>
        <translation>There is no permission to write to the target.</translation>
    </message>
    <message>
        <source>保存先のファイルは書き込み禁止になっています。書き込みを許可するか、別の名前で保存してください。</source>
        <translation>The target file is write-protected. Allow writing to it, or save under another name.</translation>
    </message>
    <message>
        <source>このファイルは開けません。チャンネル数が%1です（開けるのは1～%2チャンネルです）。</source>
        <translation>This file cannot be opened. It has %1 channels (files of 1 to %2 channels can be opened).</translation>
    </message>
    <message>
        <source>このファイルは変換できません。サンプリングレートが%1 Hzです（変換できるのは%2～%3 Hzです）。</source>
        <translation>This file cannot be converted. Its sample rate is %1 Hz (rates of %2 to %3 Hz can be converted).</translation>
    </message>
    <message>
        <source>このファイルは変換できません。チャンネル数が%1です（変換できるのは1～%2チャンネルです）。</source>
        <translation>This file cannot be converted. It has %1 channels (files of 1 to %2 channels can be converted).</translation>
    </message>
    <message>
        <source>このファイルは変換できません。%1のサンプルが%2ビットです（変換できるのは%3ビットです）。</source>
        <translation>This file cannot be converted. Its %1 samples have %2 bits (%3 bits can be converted).</translation>
    </message>
    <message>
        <source>整数</source>
        <translation>integer</translation>
    </message>
    <message>
        <source>浮動小数点</source>
        <translation>floating-point</translation>
    </message>
    <message>
        <source>このファイルは変換できません。ブロックアラインが%1バイトです（%2チャンネル、%3ビットでは%4バイトです）。</source>
        <translation>This file cannot be converted. Its block alignment is %1 bytes (%2 channels of %3 bits take %4 bytes).</translation>
    </message>
    <message>
        <source>このファイルは変換できません。フォーマットタグが%1です（変換できるのはリニアPCMの1と浮動小数点の3です）。</source>
        <translation>This file cannot be converted. Its format tag is %1 (linear PCM, 1, and floating point, 3, can be converted).</translation>
    </message>
    <message>
        <source>このファイルは変換できません。拡張形式のサブフォーマットが不明です（変換できるのはリニアPCMと浮動小数点です）。</source>
        <translation>This file cannot be converted. Its extensible sub-format is unknown (linear PCM and floating point can be converted).</translation>
    </message>
    <message>
        <source>このファイルには最大音量を超えるサンプルがあります。%1個のサンプルを最大音量で切り詰めて（クリップして）変換しました。</source>
        <translation>This file holds samples beyond full scale. %1 samples were cut to full scale (clipped) in the conversion.</translation>
    </message>
    <message>
        <source>ボイスデータファイルではないか、壊れています。形式のバージョンが %1 です（1 以上です）。</source>
        <translation>This is no voice-data file, or it is damaged: its format version is %1 (versions start at 1).</translation>
    </message>
    <message>
        <source>ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスの圧縮データの後ろに %3 バイトの余分なデータがあります。</source>
        <translation>The voice-data file is damaged: the compressed data of the clip of kind %1, position %2 is followed by %3 bytes that belong to no clip.</translation>
    </message>
    <message>
        <source>ボイスデータファイルを書き込めませんでした。%1</source>
        <translation>The voice-data file could not be written. %1</translation>
    </message>
    <message>
        <source>位置情報を保存できませんでした。</source>
        <translation>The position data could not be saved.</translation>
    </message>
    <message>
        <source>保存先は読み取り専用です。</source>
        <translation>The target is read-only.</translation>
    </message>
    <message>
        <source>ディスクの空きが足りません。</source>
        <translation>There is not enough free space on the disk.</translation>
    </message>
    <message>
        <source>保存先のフォルダがありません。</source>
        <translation>The target&apos;s folder does not exist.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます。</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>保存先の名前が長すぎます。</source>
        <translation>The target&apos;s name is too long.</translation>
    </message>
    <message>
        <source>ボイスデータファイルを書き込めませんでした。%1以前のファイルはそのままです。</source>
        <translation>The voice data file could not be written. %1 The previous file is unchanged.</translation>
    </message>
    <message>
        <source>残り %1 MB（約 %2 分）</source>
        <translation>%1 MB left (about %2 min)</translation>
    </message>
    <message>
        <source>ボイスを追加できません。ボイスデータの上限を超えます（このボイスは %1 MB、残りは %2 MB・約 %3 分）。</source>
        <translation>Cannot add the voice: the voice data would exceed its limit (this voice takes %1 MB; %2 MB, about %3 minutes, are left).</translation>
    </message>
    <message>
        <source>ボイスデータファイルを保存できません。ボイスの合計が上限を %1 MB 超えています。</source>
        <translation>Cannot save the voice data file: its voices exceed the limit by %1 MB.</translation>
    </message>
    <message>
        <source>ボイスデータファイルを保存できません。種類 %1・位置 %2 のボイスを圧縮できません。</source>
        <translation>Cannot save the voice data file: voice %2 of kind %1 cannot be compressed.</translation>
    </message>
    <message>
        <source>キャラクターの画像のうち %1 枚を読み込めないため表示しません。</source>
        <translation>%1 of the character pictures cannot be loaded and are not shown.</translation>
    </message>
    <message>
        <source>img/Image.txt と img/Mask.txt の画像の一部を使いません。
（%1 の %2 行目「%3」はデータフォルダの外にあります。）</source>
        <translation>Some of the pictures of img/Image.txt and img/Mask.txt are not used.
(Line %2 of %1, &quot;%3&quot;, lies outside the data folder.)</translation>
    </message>
    <message>
        <source>img/Image.txt と img/Mask.txt の画像の一部を使いません。
（%1 の %2 行目「%3」は使える画像（PNG、JPEG、BMP、GIF）ではないか、大きすぎます。）</source>
        <translation>Some of the pictures of img/Image.txt and img/Mask.txt are not used.
(Line %2 of %1, &quot;%3&quot;, is no usable picture (PNG, JPEG, BMP, GIF), or too large.)</translation>
    </message>
    <message>
        <source>img/Image.txt と img/Mask.txt の画像の一部を使いません。
（%1 の %2 行目「%3」で、画像とマスクが展開後 %4 MB を超えます。）</source>
        <translation>Some of the pictures of img/Image.txt and img/Mask.txt are not used.
(Line %2 of %1, &quot;%3&quot;, would take the decoded pictures and masks past %4 MB.)</translation>
    </message>
</context>
</TS>
