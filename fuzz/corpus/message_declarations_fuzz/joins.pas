const
  A='one'+#13#10
    +'two';
  B='it''s';
'orphan'
C:='x'+'y';
