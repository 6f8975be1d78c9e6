// Texts of Engine connections: the connections panel and editor, switching, connection
// errors, the insecure-HTTP warning and the title-bar colour names.
#include "shell/TextTableData.h"

namespace pellora {

namespace {

constexpr TextRecords<21> kConnection = {{
    {{"Engine connections", "This Mac", "Add remote Engine", "Name", "Engine address",
      "Verify & connect", "Remove", "Cancel", "Connecting...",
      "Use an HTTPS or HTTP origin without a path, password, or query. HTTPS is recommended.",
      "Could not verify this Engine. Check the address and network, and ensure the Engine "
      "supports Desktop connections.",
      "This Engine uses an incompatible Desktop protocol. Update the Client or Engine.",
      "Switch Engine?", "Set as default", "Switch", "Could not connect",
      "Remote tasks will continue after you quit.",
      "The local Engine will stop. Local tasks will be interrupted; remote tasks will continue.",
      "Remote Engine", "Local Engine is running", "Local Engine is not running"}},
    {{"Engine 连接", "这台 Mac", "添加远程 Engine", "名称", "Engine 地址", "验证并连接", "移除",
      "取消", "正在连接...",
      "请使用不含路径、密码或查询参数的 HTTPS 或 HTTP 源地址。建议使用 HTTPS。",
      "无法验证此 Engine。请检查地址和网络，并确认该 Engine 支持桌面端连接。",
      "此 Engine 使用了不兼容的桌面协议。请更新客户端或 Engine。", "切换 Engine？", "设为默认",
      "切换", "无法连接", "退出后，远程任务将继续运行。",
      "本地 Engine 将停止。本地任务将被中断；远程任务将继续运行。", "远程 Engine",
      "本地 Engine 正在运行", "本地 Engine 未运行"}},
    {{"Engine 連線", "這部 Mac", "新增遠端 Engine", "名稱", "Engine 位址", "驗證並連線", "移除",
      "取消", "正在連線...",
      "請使用不含路徑、密碼或查詢參數的 HTTPS 或 HTTP 來源位址。建議使用 HTTPS。",
      "無法驗證此 Engine。請檢查位址和網絡，並確認該 Engine 支援桌面版連線。",
      "此 Engine 使用了不相容的桌面協定。請更新用戶端或 Engine。", "切換 Engine？", "設為預設",
      "切換", "無法連線", "結束後，遠端任務將繼續執行。",
      "本機 Engine 將會停止。本機任務將被中斷；遠端任務將繼續執行。", "遠端 Engine",
      "本機 Engine 正在執行", "本機 Engine 未在執行"}},
    {{"Engine 接続", "このMac", "リモート Engine を追加", "名前", "Engine のアドレス",
      "確認して接続", "削除", "キャンセル", "接続中...",
      "パス、パスワード、クエリを含まない HTTPS または HTTP のオリジンを使用してください。"
      "HTTPS を推奨します。",
      "この Engine を確認できませんでした。アドレスとネットワークを確認し、Engine "
      "がデスクトップ接続に対応していることを確かめてください。",
      "この Engine は互換性のないデスクトッププロトコルを使用しています。クライアントまたは "
      "Engine をアップデートしてください。",
      "Engine を切り替えますか？", "デフォルトに設定", "切り替える", "接続できませんでした",
      "終了後もリモートのタスクは続行されます。",
      "ローカル Engine は停止します。ローカルのタスクは中断され、リモートのタスクは続行されます。",
      "リモート Engine", "ローカル Engine は実行中です", "ローカル Engine は実行されていません"}},
    {{"Engine 연결", "이 Mac", "원격 Engine 추가", "이름", "Engine 주소", "확인 후 연결", "제거",
      "취소", "연결 중...",
      "경로, 암호 또는 쿼리가 없는 HTTPS 또는 HTTP 출처를 사용하세요. HTTPS를 권장합니다.",
      "이 Engine을 확인할 수 없습니다. 주소와 네트워크를 확인하고 Engine이 데스크톱 연결을 "
      "지원하는지 확인하세요.",
      "이 Engine은 호환되지 않는 데스크톱 프로토콜을 사용합니다. 클라이언트 또는 Engine을 "
      "업데이트하세요.",
      "Engine을 전환하시겠습니까?", "기본값으로 설정", "전환", "연결할 수 없음",
      "종료한 후에도 원격 작업은 계속됩니다.",
      "로컬 Engine이 중지됩니다. 로컬 작업은 중단되고 원격 작업은 계속됩니다.", "원격 Engine",
      "로컬 Engine 실행 중", "로컬 Engine이 실행되고 있지 않음"}},
    {{"Engine-Verbindungen", "Dieser Mac", "Entfernte Engine hinzufügen", "Name", "Engine-Adresse",
      "Prüfen & verbinden", "Entfernen", "Abbrechen", "Verbindung wird hergestellt...",
      "Verwende einen HTTPS- oder HTTP-Ursprung ohne Pfad, Passwort oder Abfrage. HTTPS wird "
      "empfohlen.",
      "Diese Engine konnte nicht überprüft werden. Prüfe Adresse und Netzwerk und stelle sicher, "
      "dass die Engine Desktop-Verbindungen unterstützt.",
      "Diese Engine verwendet ein inkompatibles Desktop-Protokoll. Aktualisiere den Client oder "
      "die Engine.",
      "Engine wechseln?", "Als Standard festlegen", "Wechseln", "Verbindung nicht möglich",
      "Entfernte Aufgaben laufen weiter, nachdem du Pellora beendet hast.",
      "Die lokale Engine wird beendet. Lokale Aufgaben werden unterbrochen; entfernte Aufgaben "
      "laufen weiter.",
      "Entfernte Engine", "Lokale Engine läuft", "Lokale Engine läuft nicht"}},
    {{"Connexions à l’Engine", "Ce Mac", "Ajouter un Engine distant", "Nom", "Adresse de l’Engine",
      "Vérifier et se connecter", "Supprimer", "Annuler", "Connexion...",
      "Utilisez une origine HTTPS ou HTTP sans chemin, mot de passe ni requête. HTTPS est "
      "recommandé.",
      "Impossible de vérifier cet Engine. Vérifiez l’adresse et le réseau, et assurez-vous que "
      "l’Engine prend en charge les connexions Desktop.",
      "Cet Engine utilise un protocole Desktop incompatible. Mettez à jour le client ou l’Engine.",
      "Changer d’Engine ?", "Définir par défaut", "Changer", "Connexion impossible",
      "Les tâches distantes continueront après la fermeture de l’app.",
      "L’Engine local va s’arrêter. Les tâches locales seront interrompues ; les tâches "
      "distantes continueront.",
      "Engine distant", "L’Engine local est en cours d’exécution",
      "L’Engine local n’est pas en cours d’exécution"}},
    {{"Conexiones de Engine", "Este Mac", "Añadir Engine remoto", "Nombre", "Dirección del Engine",
      "Verificar y conectar", "Eliminar", "Cancelar", "Conectando...",
      "Usa un origen HTTPS o HTTP sin ruta, contraseña ni consulta. Se recomienda HTTPS.",
      "No se pudo verificar este Engine. Comprueba la dirección y la red, y asegúrate de que el "
      "Engine admite conexiones de escritorio.",
      "Este Engine usa un protocolo de escritorio incompatible. Actualiza el cliente o el Engine.",
      "¿Cambiar de Engine?", "Establecer como predeterminado", "Cambiar", "No se pudo conectar",
      "Las tareas remotas continuarán después de salir.",
      "El Engine local se detendrá. Las tareas locales se interrumpirán; las tareas remotas "
      "continuarán.",
      "Engine remoto", "El Engine local se está ejecutando", "El Engine local no se está ejecutando"}},
    {{"Conexões do Engine", "Este Mac", "Adicionar Engine remoto", "Nome", "Endereço do Engine",
      "Verificar e conectar", "Remover", "Cancelar", "Conectando...",
      "Use uma origem HTTPS ou HTTP sem caminho, senha ou consulta. HTTPS é recomendado.",
      "Não foi possível verificar este Engine. Confira o endereço e a rede e verifique se o "
      "Engine é compatível com conexões do Desktop.",
      "Este Engine usa um protocolo Desktop incompatível. Atualize o cliente ou o Engine.",
      "Trocar de Engine?", "Definir como padrão", "Trocar", "Não foi possível conectar",
      "As tarefas remotas continuarão depois que você sair.",
      "O Engine local será interrompido. As tarefas locais serão interrompidas; as tarefas remotas "
      "continuarão.",
      "Engine remoto", "O Engine local está em execução", "O Engine local não está em execução"}},
}};

constexpr TextRecords<11> kPanel = {{
    {{"Only this window will switch. Its unsaved edits will be discarded. Other windows and "
      "submitted tasks will continue unchanged.",
      "This connection is open in a window. You can change its name and color; close or switch "
      "all its windows before changing the address or removing it.",
      "Title bar color", "Default", "Use when no windows are open", "Blue", "Green", "Amber",
      "Rose", "Lavender", "Teal"}},
    {{"只有此窗口会切换。其未保存的编辑将被丢弃。其他窗口和已提交的任务不受影响。",
      "此连接已在某个窗口中打开。你可以更改其名称和颜色；如需更改地址或移除它，请先关闭或切换其所有"
      "窗口。",
      "标题栏颜色", "默认", "没有打开的窗口时使用", "蓝色", "绿色", "琥珀色", "玫瑰色", "薰衣草紫",
      "青色"}},
    {{"只有此視窗會切換。其未儲存的編輯將被捨棄。其他視窗和已提交的任務不受影響。",
      "此連線已在某個視窗中開啟。你可以更改其名稱和顏色；如需更改位址或移除它，請先關閉或切換其所有"
      "視窗。",
      "標題列顏色", "預設", "沒有開啟的視窗時使用", "藍色", "綠色", "琥珀色", "玫瑰色", "薰衣草紫",
      "青色"}},
    {{"このウインドウだけが切り替わります。保存されていない編集内容は破棄されます。ほかのウインドウと"
      "送信済みのタスクはそのまま続行されます。",
      "この接続はウインドウで開かれています。名前と色は変更できます。アドレスを変更したり削除したり"
      "するには、先にそのウインドウをすべて閉じるか切り替えてください。",
      "タイトルバーの色", "デフォルト", "ウインドウが開いていないときに使用", "ブルー", "グリーン",
      "アンバー", "ローズ", "ラベンダー", "ティール"}},
    {{"이 창만 전환됩니다. 저장하지 않은 편집 내용은 삭제됩니다. 다른 창과 제출된 작업은 그대로 "
      "계속됩니다.",
      "이 연결은 창에서 열려 있습니다. 이름과 색상은 변경할 수 있습니다. 주소를 변경하거나 제거하려면 "
      "먼저 해당 창을 모두 닫거나 전환하세요.",
      "제목 막대 색상", "기본값", "열린 창이 없을 때 사용", "파란색", "녹색", "호박색", "장미색",
      "라벤더색", "청록색"}},
    {{"Nur dieses Fenster wechselt. Nicht gespeicherte Änderungen darin werden verworfen. Andere "
      "Fenster und übermittelte Aufgaben laufen unverändert weiter.",
      "Diese Verbindung ist in einem Fenster geöffnet. Du kannst Name und Farbe ändern; schließe "
      "oder wechsle alle ihre Fenster, bevor du die Adresse änderst oder sie entfernst.",
      "Farbe der Titelleiste", "Standard", "Verwenden, wenn keine Fenster geöffnet sind", "Blau",
      "Grün", "Bernstein", "Rosé", "Lavendel", "Petrol"}},
    {{"Seule cette fenêtre changera. Ses modifications non enregistrées seront perdues. Les "
      "autres fenêtres et les tâches envoyées continueront sans changement.",
      "Cette connexion est ouverte dans une fenêtre. Vous pouvez modifier son nom et sa couleur ; "
      "fermez ou changez toutes ses fenêtres avant de modifier l’adresse ou de la supprimer.",
      "Couleur de la barre de titre", "Par défaut", "Utilisé lorsqu’aucune fenêtre n’est ouverte",
      "Bleu", "Vert", "Ambre", "Rose", "Lavande", "Sarcelle"}},
    {{"Solo cambiará esta ventana. Se descartarán sus cambios sin guardar. Las demás ventanas y "
      "las tareas enviadas continuarán sin cambios.",
      "Esta conexión está abierta en una ventana. Puedes cambiar su nombre y su color; cierra o "
      "cambia todas sus ventanas antes de cambiar la dirección o eliminarla.",
      "Color de la barra de título", "Predeterminado", "Usar cuando no haya ventanas abiertas",
      "Azul", "Verde", "Ámbar", "Rosa", "Lavanda", "Verde azulado"}},
    {{"Somente esta janela será trocada. As edições não salvas serão descartadas. As outras "
      "janelas e as tarefas enviadas continuarão sem alterações.",
      "Esta conexão está aberta em uma janela. Você pode alterar o nome e a cor; feche ou troque "
      "todas as janelas dela antes de alterar o endereço ou removê-la.",
      "Cor da barra de título", "Padrão", "Usar quando não houver janelas abertas", "Azul",
      "Verde", "Âmbar", "Rosa", "Lavanda", "Azul-petróleo"}},
}};

constexpr TextRecords<2> kSecurity = {{
    {{"HTTP is insecure: sign-in details, chats, and files may be intercepted or changed in "
      "transit.",
      "HTTP · Insecure"}},
    {{"HTTP 不安全：登录信息、对话和文件在传输过程中可能被截获或篡改。", "HTTP · 不安全"}},
    {{"HTTP 不安全：登入資料、對話和檔案在傳輸過程中可能被截取或竄改。", "HTTP · 不安全"}},
    {{"HTTP は安全ではありません：サインイン情報、チャット、ファイルが転送中に傍受されたり改ざん"
      "されたりする可能性があります。",
      "HTTP · 安全ではありません"}},
    {{"HTTP는 안전하지 않습니다. 로그인 정보, 채팅 및 파일이 전송 중에 가로채이거나 변경될 수 "
      "있습니다.",
      "HTTP · 안전하지 않음"}},
    {{"HTTP ist unsicher: Anmeldedaten, Chats und Dateien können unterwegs abgefangen oder "
      "verändert werden.",
      "HTTP · Unsicher"}},
    {{"HTTP n’est pas sécurisé : les identifiants, conversations et fichiers peuvent être "
      "interceptés ou modifiés pendant le transfert.",
      "HTTP · Non sécurisé"}},
    {{"HTTP no es seguro: los datos de inicio de sesión, los chats y los archivos pueden "
      "interceptarse o modificarse durante la transmisión.",
      "HTTP · No seguro"}},
    {{"HTTP não é seguro: dados de login, conversas e arquivos podem ser interceptados ou "
      "alterados durante a transmissão.",
      "HTTP · Não seguro"}},
}};

constexpr TextRecords<5> kEditor = {{
    {{"Current", "Edit connection", "Verify & save",
      "This address is already saved. Select it from the connection list.",
      "You can rename the current connection. Switch to another Engine before changing its "
      "address."}},
    {{"当前", "编辑连接", "验证并保存", "此地址已保存。请从连接列表中选择它。",
      "你可以重命名当前连接。如需更改其地址，请先切换到其他 Engine。"}},
    {{"目前", "編輯連線", "驗證並儲存", "此位址已儲存。請從連線列表中選擇它。",
      "你可以重新命名目前連線。如需更改其位址，請先切換至其他 Engine。"}},
    {{"現在", "接続を編集", "確認して保存",
      "このアドレスはすでに保存されています。接続リストから選択してください。",
      "現在の接続の名前は変更できます。アドレスを変更するには、先に別の Engine "
      "に切り替えてください。"}},
    {{"현재", "연결 편집", "확인 후 저장", "이 주소는 이미 저장되어 있습니다. 연결 목록에서 선택하세요.",
      "현재 연결의 이름은 변경할 수 있습니다. 주소를 변경하려면 먼저 다른 Engine으로 전환하세요."}},
    {{"Aktuell", "Verbindung bearbeiten", "Prüfen & sichern",
      "Diese Adresse ist bereits gespeichert. Wähle sie in der Verbindungsliste aus.",
      "Du kannst die aktuelle Verbindung umbenennen. Wechsle zu einer anderen Engine, bevor du "
      "ihre Adresse änderst."}},
    {{"Actuel", "Modifier la connexion", "Vérifier et enregistrer",
      "Cette adresse est déjà enregistrée. Sélectionnez-la dans la liste des connexions.",
      "Vous pouvez renommer la connexion actuelle. Passez à un autre Engine avant de modifier son "
      "adresse."}},
    {{"Actual", "Editar conexión", "Verificar y guardar",
      "Esta dirección ya está guardada. Selecciónala en la lista de conexiones.",
      "Puedes cambiar el nombre de la conexión actual. Cambia a otro Engine antes de cambiar su "
      "dirección."}},
    {{"Atual", "Editar conexão", "Verificar e salvar",
      "Este endereço já está salvo. Selecione-o na lista de conexões.",
      "Você pode renomear a conexão atual. Troque para outro Engine antes de alterar o endereço."}},
}};

}  // namespace

constexpr IndexedTexts kConnectionTexts = indexedTexts(kConnection);
constexpr IndexedTexts kConnectionPanelTexts = indexedTexts(kPanel);
constexpr IndexedTexts kConnectionSecurityTexts = indexedTexts(kSecurity);
constexpr IndexedTexts kConnectionEditorTexts = indexedTexts(kEditor);

}  // namespace pellora
