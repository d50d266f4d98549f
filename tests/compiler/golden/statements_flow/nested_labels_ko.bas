' 반복, 조건 블록과 라벨
선언 I 는 바이트, J 는 바이트, N 는 정수
상수 LIMIT = 300
처리 끼어들기 호출 HANDLER
처리 시간(2) 호출 TICK
TOP:
반복 I = 1 부터 3
  만약 I = 2 이면
    반복 J = 0 부터 I
      만약 J >= 1 그리고 N < LIMIT 이면 가기 SKIP
      호출 TICK
SKIP: 다음 J
  그렇지않고만약 I <> 3 이면
    가기 AGAIN
  아니면
AGAIN: 처리 I 가기 TOP, SKIP, DONE
  만약끝
다음
DONE: 가기 TOP
TICK: 복귀
HANDLER:
복귀
